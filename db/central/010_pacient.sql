-- The central segment's register of insured persons, as the identity look-up
-- of the reception reads it (newest record last by DATE_EDIT).
CREATE TABLE PACIENT (
  ID         INTEGER NOT NULL PRIMARY KEY,
  FAM        VARCHAR(40),
  IM         VARCHAR(40),
  OT         VARCHAR(40),
  DR         TIMESTAMP,
  NOVOR      VARCHAR(9),
  TERR_OMS   VARCHAR(5),
  SPOLIS     VARCHAR(20),
  NPOLIS     VARCHAR(20),
  DOCSER     VARCHAR(10),
  DOCNUM     VARCHAR(20),
  DATE_1     TIMESTAMP,
  DATE_2     TIMESTAMP,
  ANSWER     SMALLINT,
  DATE_EDIT  TIMESTAMP
);

CREATE INDEX IX_PACIENT_NAME ON PACIENT (FAM, IM, OT, DR);
