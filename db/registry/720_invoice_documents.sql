-- What the invoices of a formation read besides the treatment sheets: the
-- insurers' own names for the invoice lines (COMPANY, by the policy's
-- insurer code as text) and the sheet's cost of an institution with attached
-- population (MTL.COST_TRP).
SET TERM ^ ;
EXECUTE BLOCK AS
BEGIN
  IF (NOT EXISTS (SELECT 1 FROM RDB$RELATIONS WHERE RDB$RELATION_NAME = 'COMPANY')) THEN
    EXECUTE STATEMENT 'CREATE TABLE COMPANY (COMP_CODE VARCHAR(20) NOT NULL PRIMARY KEY, ' ||
                      'COMP_NAME VARCHAR(500))';
  EXECUTE PROCEDURE ADD_COLUMN('MTL', 'COST_TRP', 'NUMERIC(18,4)');
END^
SET TERM ; ^
