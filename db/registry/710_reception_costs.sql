-- Columns the reception's costs and sums read and write: the institution's
-- own cost of a treatment sheet, a report's sum without its one-channel part
-- and the versions of the package and of the program that received it, and
-- the institution's KSG care level the case statement selects, and the
-- tariff of an operation that the zero-cost list sums. Added only
-- where missing, so that the cost calculation's own scripts may add them
-- too.
SET TERM ^ ;
EXECUTE BLOCK AS
BEGIN
  EXECUTE PROCEDURE ADD_COLUMN('MTL', 'COST_SF', 'NUMERIC(18,4)');
  EXECUTE PROCEDURE ADD_COLUMN('REPORTS', 'SUMM', 'NUMERIC(18,4)');
  EXECUTE PROCEDURE ADD_COLUMN('REPORTS', 'VERSION_IN', 'VARCHAR(50)');
  EXECUTE PROCEDURE ADD_COLUMN('REPORTS', 'VERSION_OUT', 'VARCHAR(50)');
  EXECUTE PROCEDURE ADD_COLUMN('LPU', 'UR_KSG', 'SMALLINT');
  EXECUTE PROCEDURE ADD_COLUMN('OPERAT', 'COST', 'NUMERIC(18,4)');
END^
SET TERM ; ^
