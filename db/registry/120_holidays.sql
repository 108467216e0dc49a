-- The region's non-working days, and each institution's exceptions to them:
-- DAY_TYPE 1, a holiday on which the institution works; DAY_TYPE 2, a working
-- day on which it does not. The bed-day count of day hospitals reads both.
CREATE TABLE HOLIDAY (
  ID        INTEGER NOT NULL PRIMARY KEY,
  HOLIDAY   TIMESTAMP NOT NULL,
  HOLINAME  VARCHAR(40),
  HOLIWORK  INTEGER
);

CREATE INDEX IX_HOLIDAY_DAY ON HOLIDAY (HOLIDAY);

CREATE TABLE HOLIDAY_EXCEPT (
  ID          INTEGER NOT NULL PRIMARY KEY,
  LPU_CODE    INTEGER NOT NULL,
  EXCEPT_DAY  TIMESTAMP NOT NULL,
  DAY_TYPE    SMALLINT NOT NULL
);

CREATE INDEX IX_HOLIDAY_EXCEPT_LPU ON HOLIDAY_EXCEPT (LPU_CODE, EXCEPT_DAY);
