-- The reference lists an institution's package may carry: its medical
-- employees, its departments with the bed profiles of each, and the trade
-- names of medicines. The loading of a package inserts what is new and
-- updates what changed; it never deletes an employee or a department.

CREATE TABLE VRACHI (
  EMP_ID         BIGINT NOT NULL PRIMARY KEY,
  SPEC_CODE      INTEGER,
  MD_CODE        INTEGER,
  SURNAME        VARCHAR(60),
  NAME           VARCHAR(60),
  PATR_NAME      VARCHAR(60),
  BIRTH_DT       TIMESTAMP,
  START_DATE     TIMESTAMP,
  END_DATE       TIMESTAMP,
  MCOD           INTEGER,
  CATEGORY_CODE  INTEGER
);

CREATE TABLE DEPARTAMENT (
  DEP_CODE  INTEGER NOT NULL PRIMARY KEY,
  NAME      VARCHAR(250),
  FROM_DT   TIMESTAMP,
  TO_DT     TIMESTAMP,
  MCOD      INTEGER,
  TYPE      INTEGER,
  ADDRESS   VARCHAR(250)
);

-- The bed profiles of a department; a profile a file lists twice is kept
-- twice, as the file gives it.
CREATE TABLE PROFILE_LIST (
  PROFILE   INTEGER,
  DEP_CODE  INTEGER NOT NULL
);
CREATE INDEX PROFILE_LIST_DEP ON PROFILE_LIST (DEP_CODE);

CREATE TABLE SPR_LEKAR_TRN (
  ID          INTEGER NOT NULL PRIMARY KEY,
  NAME_RUS    VARCHAR(500),
  NAME_LATIN  VARCHAR(500),
  INN_ID      VARCHAR(20)
);
