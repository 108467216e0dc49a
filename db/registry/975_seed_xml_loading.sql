-- Demonstration reference data of the XML loading: the federal outcome and
-- result codes of an in-patient stay with the program's own codes.
INSERT INTO ISHOD_FED (IDIZ, OLD_ID, NAME, DATEBEG) VALUES (101, 1, 'Выздоровление', '2011-01-01');
INSERT INTO ISHOD_FED (IDIZ, OLD_ID, NAME, DATEBEG) VALUES (102, 2, 'Улучшение', '2011-01-01');
INSERT INTO ISHOD_FED (IDIZ, OLD_ID, NAME, DATEBEG) VALUES (103, 3, 'Без перемен', '2011-01-01');
INSERT INTO ISHOD_FED (IDIZ, OLD_ID, NAME, DATEBEG) VALUES (104, 4, 'Ухудшение', '2011-01-01');
INSERT INTO RESULT_FED (IDRMP, OLD_RESULT, NAME, DATEBEG) VALUES (101, 1, 'Выписан', '2011-01-01');
INSERT INTO RESULT_FED (IDRMP, OLD_RESULT, NAME, DATEBEG) VALUES (102, 2, 'Переведён в другую МО', '2011-01-01');
INSERT INTO RESULT_FED (IDRMP, OLD_RESULT, NAME, DATEBEG) VALUES (105, 5, 'Умер', '2011-01-01');
