-- The reference tables the reception's registers and invoices name: the
-- insurers by policy code (COMPANY: the insurer's code as a case's POLIS
-- holds it, and its name) and the results of treatment by their key
-- (RES_LECEN). Either document may need them first, so each table is made
-- only where missing.
SET TERM ^ ;
EXECUTE BLOCK AS
BEGIN
  IF (NOT EXISTS (SELECT 1 FROM RDB$RELATIONS WHERE RDB$RELATION_NAME = 'COMPANY')) THEN
    EXECUTE STATEMENT 'CREATE TABLE COMPANY (COMP_CODE VARCHAR(20) NOT NULL PRIMARY KEY, '
      || 'COMP_NAME VARCHAR(255))';
  IF (NOT EXISTS (SELECT 1 FROM RDB$RELATIONS WHERE RDB$RELATION_NAME = 'RES_LECEN')) THEN
    EXECUTE STATEMENT 'CREATE TABLE RES_LECEN (MYKEY SMALLINT NOT NULL PRIMARY KEY, '
      || 'NAME VARCHAR(60))';
END^
SET TERM ; ^
