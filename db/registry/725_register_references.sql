-- The results of treatment by their key, as the treated-patient register
-- names them: the names of SPR_RES_LECH under the register's names.
CREATE VIEW RES_LECEN (MYKEY, NAME) AS SELECT KOD, NAME FROM SPR_RES_LECH;
