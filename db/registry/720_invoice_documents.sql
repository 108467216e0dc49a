-- The insurers' own names that the invoice lines show (COMPANY, by the
-- policy's insurer code as text); an insurer without one is named from SMO.
SET TERM ^ ;
EXECUTE BLOCK AS
BEGIN
  IF (NOT EXISTS (SELECT 1 FROM RDB$RELATIONS WHERE RDB$RELATION_NAME = 'COMPANY')) THEN
    EXECUTE STATEMENT 'CREATE TABLE COMPANY (COMP_CODE VARCHAR(20) NOT NULL PRIMARY KEY, ' ||
                      'COMP_NAME VARCHAR(500))';
END^
SET TERM ; ^
