-- Adds a column to a table unless the table has it already: the scripts of
-- several parts of the program may each need the same column of a shared
-- table, and whichever runs first adds it.
SET TERM ^ ;
CREATE PROCEDURE ADD_COLUMN (T VARCHAR(31), C VARCHAR(31), D VARCHAR(60)) AS
BEGIN
  IF (NOT EXISTS (SELECT 1 FROM RDB$RELATION_FIELDS F
                  WHERE F.RDB$RELATION_NAME = :T AND F.RDB$FIELD_NAME = :C)) THEN
    EXECUTE STATEMENT 'ALTER TABLE ' || T || ' ADD ' || C || ' ' || D;
END^
SET TERM ; ^
