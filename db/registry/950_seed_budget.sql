-- Demonstration reference data of the budget road: the standards of care
-- the budget pays with their normative stays and costs by institution level
-- and group, an intensive-care standard, a psychiatric bed profile paid with
-- leaves, the licences, the estimate and the assignment of the regional
-- hospital (1), the names of the results of treatment and the fund's
-- requisites on the budget's documents.

INSERT INTO MES (KOD, NAME, TIP_STAC, NOZOLOG, KD, DATEFROM, SROK, VOZ, UR_G, UR_R, UR_K,
                 COSTTOWNGB, COSTTOWNSB, COSTTOWNHB, COSTRAYONGB, COSTRAYONSB, COSTRAYONHB,
                 COSTOBLGB, COSTOBLSB, COSTOBLHB)
  VALUES ('3010101', 'Гипертоническая болезнь (бюджет)', 1, 'I10-I15', 10, '2020-01-01', 10, '0',
          '+', '+', '+', 11000, 11500, 12000, 10000, 10500, 11000, 12000, 12500, 13000);
INSERT INTO MES (KOD, NAME, TIP_STAC, NOZOLOG, KD, DATEFROM, SROK, VOZ, UR_G, UR_R, UR_K,
                 COSTTOWNGB, COSTTOWNSB, COSTTOWNHB, COSTRAYONGB, COSTRAYONSB, COSTRAYONHB,
                 COSTOBLGB, COSTOBLSB, COSTOBLHB)
  VALUES ('3010201', 'Пневмония (бюджет)', 1, 'J12-J18', 12, '2020-01-01', 12, '0', '+', '+',
          '+', 13200, 13200, 13200, 12000, 12000, 12000, 14400, 14400, 14400);
INSERT INTO MES (KOD, NAME, TIP_STAC, NOZOLOG, KD, DATEFROM, SROK, VOZ, UR_G, UR_R, UR_K,
                 COSTTOWNGB, COSTTOWNSB, COSTTOWNHB, COSTRAYONGB, COSTRAYONSB, COSTRAYONHB,
                 COSTOBLGB, COSTOBLSB, COSTOBLHB)
  VALUES ('3020301', 'Шизофрения (бюджет)', 1, 'F20-F29', 20, '2020-01-01', 20, '0', '+', '+',
          '+', 30000, 30000, 30000, 30000, 30000, 30000, 30000, 30000, 30000);
INSERT INTO MES (KOD, NAME, TIP_STAC, NOZOLOG, KD, DATEFROM, SROK, VOZ, UR_G, UR_R, UR_K,
                 COSTTOWNGB, COSTTOWNSB, COSTTOWNHB, COSTRAYONGB, COSTRAYONSB, COSTRAYONHB,
                 COSTOBLGB, COSTOBLSB, COSTOBLHB)
  VALUES ('7010101', 'Гипертоническая болезнь (дневной стационар, бюджет)', 2, 'I10-I15', 6,
          '2020-01-01', 6, '0', '+', '+', '+', 6000, 6000, 6000, 6000, 6000, 6000, 6000, 6000, 6000);

INSERT INTO MES_IT (KOD, NAME, KD, SROK, DATEFROM) VALUES (90002, 'Реанимация, до 3 суток', 3, 3,
                                                           '2020-01-01');

INSERT INTO MKB (CODE, NAME, OMS, POL, AGE_FROM, AGE_TO, BUDGET)
  VALUES ('F20.0', 'Параноидная шизофрения', 0, NULL, NULL, NULL, 1);
UPDATE MKB SET BUDGET = 0 WHERE CODE = 'Z00.0';

INSERT INTO PROFIL (TIP_PROF, NAME) VALUES (36, 'Психиатрический');
INSERT INTO LST_KOIKI (TIP, NEW_BED, NAME, OMS, AGE_FROM, AGE_TO, DATEBEG)
  VALUES (36, 36, 'Психиатрические', 36, NULL, NULL, '2020-01-01');

INSERT INTO PASS_LPU (LPU_CODE, TIP_STAC, PROF_CODE, MZ, VOZRAST, DATE_BEG, DATE_END, UR_B)
  VALUES (1, 1, 36, 2, 1, '2020-01-01', '2030-12-31', 1);
INSERT INTO PASS_LPU (LPU_CODE, TIP_STAC, PROF_CODE, MZ, VOZRAST, DATE_BEG, DATE_END, UR_B)
  VALUES (1, 2, 1, 2, 1, '2020-01-01', '2030-12-31', 1);

INSERT INTO PISTAC (LPU, TS, STFIN1, STFIN2, STFIN3, STFIN4, STFIN5, PIMEDHELP, PIMONEYOUT)
  VALUES (1, 1, 600, 300, 200, 60, 40, 2400, 2400);
INSERT INTO PLANINDEX (ID, LPU, TS, OPLAT, PROFILE) VALUES (1, 1, 1, 1, 1);
SET TERM ^ ;
EXECUTE BLOCK AS
  DECLARE m INTEGER = 1;
BEGIN
  WHILE (m <= 12) DO
  BEGIN
    INSERT INTO PLAN2MONTH (PLAN_IDX, N_MONTH, KY_M, GY_M, RY_M) VALUES (1, :m, 60, 30, 30);
    m = m + 1;
  END
END^
SET TERM ; ^

INSERT INTO SPR_RES_LECH (KOD, NAME) VALUES (1, 'Выздоровление');
INSERT INTO SPR_RES_LECH (KOD, NAME) VALUES (2, 'Улучшение');
INSERT INTO SPR_RES_LECH (KOD, NAME) VALUES (3, 'Без перемен');
INSERT INTO SPR_RES_LECH (KOD, NAME) VALUES (4, 'Ухудшение');
INSERT INTO SPR_RES_LECH (KOD, NAME) VALUES (5, 'Переведен');
INSERT INTO SPR_RES_LECH (KOD, NAME) VALUES (6, 'Умер');

INSERT INTO LST_USL (USLUG, NAME, COST, DATEBEG) VALUES ('A16.01', 'Операция', 2500, '2020-01-01');

INSERT INTO DORER (ID, NAME, FNAME, ADDRESS, PHONE, INN, KPP, BANK, P_C, BIKBANK)
  VALUES (4, 'Минздрав', 'Министерство здравоохранения Толвенской области',
          'г. Курган, ул. Володарского, 65', '41-00-00', '4501000004', '450101004',
          'Отделение Курган', '40201810000000000004', '043735001');
