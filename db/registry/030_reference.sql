-- Reference tables of the parties: payment kinds, insurers, the fund's payers.
CREATE TABLE VIDOPLAT (
  ID    SMALLINT NOT NULL PRIMARY KEY,
  NAME  VARCHAR(30) NOT NULL
);

-- Insurers: internal code, territory code, code in the exchange.
CREATE TABLE SMO (
  O_COD       INTEGER NOT NULL PRIMARY KEY,
  O_TERR      VARCHAR(5),
  SMOCOD      VARCHAR(5),
  TERR_OKATO  VARCHAR(11),
  NAME        VARCHAR(100)
);

-- Payers of the invoices (the fund and the insurers' branches).
CREATE TABLE DORER (
  ID             INTEGER NOT NULL PRIMARY KEY,
  NAME           VARCHAR(100),
  FNAME          VARCHAR(255),
  INDX           VARCHAR(6),
  ADDRESS        VARCHAR(150),
  PHONE          VARCHAR(50),
  PHONE_BUH      VARCHAR(50),
  INN            VARCHAR(20),
  KPP            VARCHAR(9),
  BANK           VARCHAR(100),
  P_C            VARCHAR(150),
  BIKBANK        VARCHAR(9),
  OKPO           VARCHAR(8),
  OKOHX          VARCHAR(10),
  DIRECTOR_FULL  VARCHAR(100),
  BUHGAL_FULL    VARCHAR(100)
);
