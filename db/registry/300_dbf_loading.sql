-- What the loading of a DBF registry needs beyond the reception's tables:
-- the look-ups of the newborn numbering, the package description's
-- conversion procedure, the IVF stages the costs read, and the table of a
-- case's sanctions.

-- The newborn numbering finds the children of one parent across the reports
-- of an institution and period.
CREATE INDEX IX_PARENTS_REPN ON PARENTS (REPN);
CREATE INDEX IX_PARENTS_PERSON ON PARENTS (FAMILY, NAME, FATHER, DR);
CREATE INDEX IX_OPERAT_REPN ON OPERAT (REPN);
CREATE INDEX IX_ONCO_DIAGNOSTIC_ONCO ON ONCO_DIAGNOSTIC (ID_ONCO);
CREATE INDEX IX_ONCO_USLUG_ONCO ON ONCO_USLUG (ID_ONCO);
CREATE INDEX IX_CONSILIUM_ID_ILL ON CONSILIUM (ID_ILL);
CREATE INDEX IX_ONCO_DIRECT_ID_ILL ON ONCO_DIRECT (ID_ILL);

-- CONSENT arrives as text from the case-entry program.
ALTER TABLE STACION ALTER CONSENT TYPE VARCHAR(10);

-- The sanctions of a case as the reception stores them (one row per
-- sanction); ID from its own generator when inserted without one.
CREATE TABLE MEK_CASES (
  ID          INTEGER NOT NULL PRIMARY KEY,
  ID_ILL      INTEGER NOT NULL,
  ERROR_TYPE  SMALLINT,
  ERROR_TEXT  VARCHAR(1000)
);

CREATE INDEX IX_MEK_CASES_ID_ILL ON MEK_CASES (ID_ILL);

CREATE SEQUENCE GEN_MEK_CASES;

SET TERM ^ ;

CREATE TRIGGER MEK_CASES_BI FOR MEK_CASES ACTIVE BEFORE INSERT POSITION 0 AS
BEGIN
  IF (NEW.ID IS NULL) THEN NEW.ID = NEXT VALUE FOR GEN_MEK_CASES;
END^

-- The conversion of a report loaded from DBF tables to the form the XML
-- export reads. The export takes a sheet's result of treatment from RSLT,
-- which a package fills and a DBF sheet carries in RES_LECHEN; nothing else
-- of a loaded DBF report differs from a package's. The loading writes RSLT
-- with the sheet, so only a sheet written otherwise is changed here; a sheet
-- with neither is left as it is.
CREATE PROCEDURE SP_CONV_DBFTOXML (REPN INTEGER)
AS
BEGIN
  UPDATE MTL m SET m.RSLT = m.RES_LECHEN
  WHERE m.REPN = :REPN AND m.RSLT IS NULL AND m.RES_LECHEN IS NOT NULL;
END^

-- The stages of an IVF cycle that a case's services record (MTLUSL.STAGE),
-- as the digits of the distinct stages in ascending order ("12", "123",
-- "6"); empty when the case records none. The cost calculation reads it.
CREATE PROCEDURE GET_ECO_INFO (ID_ILL INTEGER)
RETURNS (ECO_STAGES_OUT VARCHAR(20))
AS
DECLARE VARIABLE STAGE SMALLINT;
BEGIN
  ECO_STAGES_OUT = '';
  FOR SELECT DISTINCT u.STAGE FROM MTLUSL u
      WHERE u.ID_ILL = :ID_ILL AND u.STAGE BETWEEN 0 AND 9
      ORDER BY 1
      INTO :STAGE
  DO
    ECO_STAGES_OUT = ECO_STAGES_OUT || CAST(STAGE AS VARCHAR(1));
  SUSPEND;
END^

-- The bed profile of every treatment sheet of a report: the LST_KOIKI row of
-- the sheet's profile in force on the day its case ended (none: no bed
-- profile; two: "multiple rows in singleton select"). The value is looked up
-- once a sheet, and a sheet that already holds it is not written again.
CREATE PROCEDURE SP_BED_PROFILES (REPN INTEGER)
AS
DECLARE VARIABLE ID INTEGER;
DECLARE VARIABLE HELD INTEGER;
DECLARE VARIABLE BED INTEGER;
BEGIN
  FOR SELECT m.ID, m.PROFIL_BED,
             (SELECT L.NEW_BED FROM LST_KOIKI L
              JOIN STACION S ON S.ID_ILL = m.ID_ILL AND
                   S.OUT_STAC BETWEEN L.DATEBEG AND
                   COALESCE(L.DATEEND, CAST('31.12.9999' AS TIMESTAMP))
              WHERE L.TIP = m.PROFILE)
      FROM MTL m
      WHERE m.REPN = :REPN
      INTO :ID, :HELD, :BED
  DO
    IF (BED IS DISTINCT FROM HELD) THEN
      UPDATE MTL SET PROFIL_BED = :BED WHERE ID = :ID;
END^

-- The treatment sheet of every operation of a report's cases (OPERAT.NOM_MTL):
-- the sheets of a case are walked in their numbering, and a sheet takes the
-- operations dated inside its stay, in order of date. On the last day of a
-- sheet it takes them only when it is the case's last sheet or a high-tech
-- one (OPLAT 6); on its first day only when the sheet before did not take an
-- operation of that day as its last. A later sheet that also holds an
-- operation takes it over. The whole report in one call, instead of one
-- query per sheet from the client.
CREATE PROCEDURE SP_OPERATIONS_TO_SHEETS (REPN INTEGER)
AS
DECLARE VARIABLE ID_ILL INTEGER;
DECLARE VARIABLE LAST_CASE INTEGER;
DECLARE VARIABLE NOM_MTL SMALLINT;
DECLARE VARIABLE MAX_NOM SMALLINT;
DECLARE VARIABLE SELECTED SMALLINT = 0;
DECLARE VARIABLE SELECTED_BEFORE SMALLINT;
DECLARE VARIABLE OP_ID INTEGER;
DECLARE VARIABLE FINISH TIMESTAMP;
DECLARE VARIABLE DATE_OPER TIMESTAMP;
BEGIN
  -- "+ 0" keeps the walk on the report's sheets (IX_MTL_REPN) instead of
  -- the whole table in the order of IX_MTL_ID_ILL.
  FOR SELECT m.ID_ILL, m.NOM_MTL FROM MTL m
      WHERE m.REPN = :REPN AND m.NOM_MTL IS NOT NULL AND
            EXISTS (SELECT 1 FROM OPERAT o WHERE o.ID_ILL = m.ID_ILL)
      ORDER BY m.ID_ILL + 0, m.NOM_MTL + 0
      INTO :ID_ILL, :NOM_MTL
  DO BEGIN
    IF (ID_ILL IS DISTINCT FROM LAST_CASE) THEN SELECTED = 0;
    LAST_CASE = ID_ILL;
    SELECT MAX(m2.NOM_MTL) FROM MTL m2 WHERE m2.ID_ILL = :ID_ILL INTO :MAX_NOM;
    -- The operations of the sheet are chosen with the state before it.
    SELECTED_BEFORE = SELECTED;
    FOR SELECT o.ID, m.FINISH, o.DATE_OPER FROM MTL m
        JOIN OPERAT o ON o.ID_ILL = m.ID_ILL AND
             (o.DATE_OPER > m.STARTD OR (o.DATE_OPER = m.STARTD AND 1 <> :SELECTED_BEFORE)) AND
             (o.DATE_OPER < m.FINISH OR
              (o.DATE_OPER = m.FINISH AND (:MAX_NOM = :NOM_MTL OR m.OPLAT = 6)))
        WHERE m.ID_ILL = :ID_ILL AND m.NOM_MTL = :NOM_MTL
        ORDER BY o.DATE_OPER, o.ID
        INTO :OP_ID, :FINISH, :DATE_OPER
    DO BEGIN
      UPDATE OPERAT SET NOM_MTL = :NOM_MTL WHERE ID = :OP_ID;
      SELECTED = IIF(FINISH = DATE_OPER, 1, 0);
    END
  END
END^

SET TERM ; ^

-- Codes of the standards of care reach 16 characters and more (the level of
-- care is read from the 12th).
ALTER TABLE STACION ALTER KOD_MESS TYPE VARCHAR(20);
ALTER TABLE MTL ALTER KOD_MES TYPE VARCHAR(20);
ALTER TABLE MTL ALTER KOD_MES_IT TYPE VARCHAR(20);
