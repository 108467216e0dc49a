-- The results of treatment by their key, as the treated-patient register
-- names them (RES_LECEN; the insurers' names come from COMPANY).
CREATE TABLE RES_LECEN (
  MYKEY  SMALLINT NOT NULL PRIMARY KEY,
  NAME   VARCHAR(60)
);
