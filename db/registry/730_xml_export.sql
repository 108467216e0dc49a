-- What the XML export reads beyond the loaded tables: the federal profile of
-- care of each of the program's own profiles (the bed profile of a sheet
-- without a federal profile is found through it).
CREATE TABLE FED_TO_TFOMS (
  KOD_OLD  SMALLINT NOT NULL,
  KOD_NEW  INTEGER NOT NULL
);

CREATE INDEX IX_FED_TO_TFOMS_OLD ON FED_TO_TFOMS (KOD_OLD);
