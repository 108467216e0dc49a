-- Bed profiles and the institutions' passports of licensed bed profiles:
-- the reception reads them for the profiles licensed twice and for the
-- licences that end soon.
CREATE TABLE PROFIL (
  TIP_PROF  INTEGER NOT NULL PRIMARY KEY,
  NAME      VARCHAR(100)
);

-- One licensed bed profile of an institution for an in-patient type. MZ 1
-- and 3 are the licences the reception counts; VOZRAST the age group.
CREATE TABLE PASS_LPU (
  ID         INTEGER NOT NULL PRIMARY KEY,
  LPU_CODE   INTEGER NOT NULL,
  TIP_STAC   SMALLINT NOT NULL,
  PROF_CODE  INTEGER NOT NULL,
  MZ         SMALLINT,
  VOZRAST    SMALLINT,
  DATE_BEG   TIMESTAMP,
  DATE_END   TIMESTAMP
);

CREATE INDEX IX_PASS_LPU_LPU ON PASS_LPU (LPU_CODE, TIP_STAC);

CREATE SEQUENCE GEN_PASS_LPU;

SET TERM ^ ;
CREATE TRIGGER PASS_LPU_BI FOR PASS_LPU ACTIVE BEFORE INSERT POSITION 0 AS
BEGIN
  IF (NEW.ID IS NULL) THEN NEW.ID = NEXT VALUE FOR GEN_PASS_LPU;
END^
SET TERM ; ^
