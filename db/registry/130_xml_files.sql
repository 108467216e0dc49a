-- One row per insurer entry of every report received from or formed into an
-- XML package: the package number and the invoice head it carried.
CREATE TABLE XML_FILES (
  REPN      INTEGER NOT NULL,
  SMO_MCOD  INTEGER NOT NULL,
  NUM       INTEGER,
  CODE      INTEGER,
  NSCHET    VARCHAR(15),
  DSCHET    TIMESTAMP,
  DATE_BEG  TIMESTAMP,
  LPU_MCOD  INTEGER
);

CREATE INDEX IX_XML_FILES_REPN ON XML_FILES (REPN, SMO_MCOD);
