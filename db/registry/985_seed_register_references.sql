-- Results of treatment as the treated-patient register names them.
INSERT INTO RES_LECEN (MYKEY, NAME) VALUES (1, 'Выздоровление');
INSERT INTO RES_LECEN (MYKEY, NAME) VALUES (2, 'Улучшение');
INSERT INTO RES_LECEN (MYKEY, NAME) VALUES (3, 'Без перемен');
INSERT INTO RES_LECEN (MYKEY, NAME) VALUES (4, 'Ухудшение');
INSERT INTO RES_LECEN (MYKEY, NAME) VALUES (5, 'Переведен');
INSERT INTO RES_LECEN (MYKEY, NAME) VALUES (6, 'Умер');
