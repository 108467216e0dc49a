-- Demonstration reference data of the reception's checks: a few diagnoses
-- of the classifier, standards of care, bed types and profiles, doctors'
-- specialities, priced services, a plan and the non-working days of 2025-2026 (weekends and
-- holidays, with the working Saturday of 01.11.2025 left out).

INSERT INTO MKB (CODE, NAME, OMS, POL, AGE_FROM, AGE_TO) VALUES ('I10', 'Эссенциальная гипертензия', 1, NULL, NULL, NULL);
INSERT INTO MKB (CODE, NAME, OMS, POL, AGE_FROM, AGE_TO) VALUES ('I11', 'Гипертензивная болезнь сердца', 1, NULL, NULL, NULL);
INSERT INTO MKB (CODE, NAME, OMS, POL, AGE_FROM, AGE_TO) VALUES ('I11.0', 'Гипертензивная болезнь сердца с застойной сердечной недостаточностью', 1, NULL, NULL, NULL);
INSERT INTO MKB (CODE, NAME, OMS, POL, AGE_FROM, AGE_TO) VALUES ('I11.9', 'Гипертензивная болезнь сердца без застойной сердечной недостаточности', 1, NULL, NULL, NULL);
INSERT INTO MKB (CODE, NAME, OMS, POL, AGE_FROM, AGE_TO) VALUES ('I20.0', 'Нестабильная стенокардия', 1, NULL, NULL, NULL);
INSERT INTO MKB (CODE, NAME, OMS, POL, AGE_FROM, AGE_TO) VALUES ('I21.0', 'Острый трансмуральный инфаркт передней стенки миокарда', 1, NULL, NULL, NULL);
INSERT INTO MKB (CODE, NAME, OMS, POL, AGE_FROM, AGE_TO) VALUES ('J18.9', 'Пневмония неуточненная', 1, NULL, NULL, NULL);
INSERT INTO MKB (CODE, NAME, OMS, POL, AGE_FROM, AGE_TO) VALUES ('K35.8', 'Острый аппендицит, другой и неуточненный', 1, NULL, NULL, NULL);
INSERT INTO MKB (CODE, NAME, OMS, POL, AGE_FROM, AGE_TO) VALUES ('K80.2', 'Камни желчного пузыря без холецистита', 1, NULL, NULL, NULL);
INSERT INTO MKB (CODE, NAME, OMS, POL, AGE_FROM, AGE_TO) VALUES ('E11.9', 'Инсулиннезависимый сахарный диабет без осложнений', 1, NULL, NULL, NULL);
INSERT INTO MKB (CODE, NAME, OMS, POL, AGE_FROM, AGE_TO) VALUES ('N18.5', 'Хроническая болезнь почки, стадия 5', 1, NULL, NULL, NULL);
INSERT INTO MKB (CODE, NAME, OMS, POL, AGE_FROM, AGE_TO) VALUES ('N40', 'Гиперплазия предстательной железы', 1, 1, 18, NULL);
INSERT INTO MKB (CODE, NAME, OMS, POL, AGE_FROM, AGE_TO) VALUES ('O80.0', 'Самопроизвольные роды в затылочном предлежании', 1, 2, 12, 55);
INSERT INTO MKB (CODE, NAME, OMS, POL, AGE_FROM, AGE_TO) VALUES ('C50.9', 'Злокачественное новообразование молочной железы неуточненной части', 1, NULL, NULL, NULL);
INSERT INTO MKB (CODE, NAME, OMS, POL, AGE_FROM, AGE_TO) VALUES ('C91.0', 'Острый лимфобластный лейкоз', 1, NULL, NULL, NULL);
INSERT INTO MKB (CODE, NAME, OMS, POL, AGE_FROM, AGE_TO) VALUES ('Z00.0', 'Общий медицинский осмотр', 0, NULL, NULL, NULL);

INSERT INTO MES (KOD, NAME, TIP_STAC, NOZOLOG, KD, DATEFROM) VALUES ('10101', 'Гипертоническая болезнь', 1, 'I10-I15', 10, '2020-01-01');
INSERT INTO MES (KOD, NAME, TIP_STAC, NOZOLOG, KD, DATEFROM) VALUES ('10102', 'Стенокардия, инфаркт миокарда', 1, 'I20-I25', 14, '2020-01-01');
INSERT INTO MES (KOD, NAME, TIP_STAC, NOZOLOG, KD, DATEFROM) VALUES ('10201', 'Пневмония', 1, 'J12-J18', 12, '2020-01-01');
INSERT INTO MES (KOD, NAME, TIP_STAC, NOZOLOG, KD, DATEFROM) VALUES ('10301', 'Аппендицит, желчнокаменная болезнь', 1, 'K35-K38,K80', 8, '2020-01-01');
INSERT INTO MES (KOD, NAME, TIP_STAC, NOZOLOG, KD, DATEFROM) VALUES ('20101', 'Гипертоническая болезнь (дневной стационар)', 2, 'I10-I15', 10, '2020-01-01');
INSERT INTO MES (KOD, NAME, TIP_STAC, NOZOLOG, KD, DATEFROM) VALUES ('20401', 'Сахарный диабет (дневной стационар)', 4, 'E10-E14', 10, '2020-01-01');

INSERT INTO MES_IT (KOD, NAME, KD) VALUES (90001, 'Реанимация, 1 сутки', 1);

INSERT INTO LST_KOIKI (TIP, NEW_BED, NAME, OMS, AGE_FROM, AGE_TO, DATEBEG) VALUES (1, 1, 'Терапевтические', 1, 18, NULL, '2020-01-01');
INSERT INTO LST_KOIKI (TIP, NEW_BED, NAME, OMS, AGE_FROM, AGE_TO, DATEBEG) VALUES (2, 2, 'Хирургические', 1, NULL, NULL, '2020-01-01');
INSERT INTO LST_KOIKI (TIP, NEW_BED, NAME, OMS, AGE_FROM, AGE_TO, DATEBEG) VALUES (3, 3, 'Кардиологические', 1, 18, NULL, '2020-01-01');
INSERT INTO LST_KOIKI (TIP, NEW_BED, NAME, OMS, AGE_FROM, AGE_TO, DATEBEG) VALUES (4, 4, 'Неврологические', 1, NULL, NULL, '2020-01-01');
INSERT INTO LST_KOIKI (TIP, NEW_BED, NAME, OMS, AGE_FROM, AGE_TO, DATEBEG) VALUES (5, 5, 'Педиатрические', 1, 0, 17, '2020-01-01');
INSERT INTO LST_KOIKI (TIP, NEW_BED, NAME, OMS, AGE_FROM, AGE_TO, DATEBEG) VALUES (9, 9, 'Платные', 0, NULL, NULL, '2020-01-01');

INSERT INTO PROFIL_BED (BED_ID, ID_MP, OLD_BED, BED_NAME, DATEBEG) VALUES (1, 97, 1, 'терапевтические', '2020-01-01');
INSERT INTO PROFIL_BED (BED_ID, ID_MP, OLD_BED, BED_NAME, DATEBEG) VALUES (2, 112, 2, 'хирургические', '2020-01-01');
INSERT INTO PROFIL_BED (BED_ID, ID_MP, OLD_BED, BED_NAME, DATEBEG) VALUES (3, 29, 3, 'кардиологические', '2020-01-01');
INSERT INTO PROFIL_BED (BED_ID, ID_MP, OLD_BED, BED_NAME, DATEBEG) VALUES (4, 53, 4, 'неврологические', '2020-01-01');
INSERT INTO PROFIL_BED (BED_ID, ID_MP, OLD_BED, BED_NAME, DATEBEG) VALUES (5, 68, 5, 'педиатрические соматические', '2020-01-01');

INSERT INTO SPR_SPECIALITY (CODE_SPEC, SPECNAME, OMS, DATEBEG) VALUES (76, 'Терапия', 1, '2020-01-01');
INSERT INTO SPR_SPECIALITY (CODE_SPEC, SPECNAME, OMS, DATEBEG) VALUES (67, 'Хирургия', 1, '2020-01-01');
INSERT INTO SPR_SPECIALITY (CODE_SPEC, SPECNAME, OMS, DATEBEG) VALUES (23, 'Кардиология', 1, '2020-01-01');
INSERT INTO SPR_SPECIALITY (CODE_SPEC, SPECNAME, OMS, DATEBEG) VALUES (53, 'Неврология', 1, '2020-01-01');
INSERT INTO SPR_SPECIALITY (CODE_SPEC, SPECNAME, OMS, DATEBEG) VALUES (68, 'Педиатрия', 1, '2020-01-01');
INSERT INTO SPR_SPECIALITY (CODE_SPEC, SPECNAME, OMS, DATEBEG) VALUES (12, 'Косметология', 0, '2020-01-01');

INSERT INTO USL_COST (USLUG, TS, DBEG, COST) VALUES ('A16.12.004.009', 1, '2020-01-01', 150000.0000);
INSERT INTO USL_COST (USLUG, TS, DBEG, COST) VALUES ('A16.18.009', 1, '2020-01-01', 18500.0000);
INSERT INTO USL_COST (USLUG, TS, DBEG, COST) VALUES ('A18.05.002', 1, '2020-01-01', 5600.0000);
INSERT INTO USL_COST (USLUG, TS, DBEG, COST) VALUES ('A18.05.002', 5, '2020-01-01', 5600.0000);

INSERT INTO PLAN_MZ (LPU_CODE, TIP_STAC, GOD, KD, COST) VALUES (1, 1, 2026, 36000, 72000000.0000);
INSERT INTO PLAN_MZ (LPU_CODE, TIP_STAC, GOD, KD, COST) VALUES (25, 1, 2026, 12000, 21600000.0000);
INSERT INTO PLAN_MZ (LPU_CODE, TIP_STAC, GOD, KD, COST) VALUES (25, 2, 2026, 6000, 4800000.0000);

-- One statement for the calendar: every Saturday and Sunday but the working
-- ones, and the public holidays with their transfers.
SET TERM ^ ;
EXECUTE BLOCK AS
  DECLARE d DATE = DATE '2025-01-01';
  DECLARE id INTEGER = 1000;
  DECLARE holiname VARCHAR(40);
BEGIN
  WHILE (d <= DATE '2026-12-31') DO
  BEGIN
    holiname = CASE d
      WHEN DATE '2025-01-01' THEN 'Новогодние каникулы'
      WHEN DATE '2025-01-02' THEN 'Новогодние каникулы'
      WHEN DATE '2025-01-03' THEN 'Новогодние каникулы'
      WHEN DATE '2025-01-06' THEN 'Новогодние каникулы'
      WHEN DATE '2025-01-07' THEN 'Рождество Христово'
      WHEN DATE '2025-01-08' THEN 'Новогодние каникулы'
      WHEN DATE '2025-03-10' THEN 'Перенос Международного женского дня'
      WHEN DATE '2025-05-01' THEN 'Праздник Весны и Труда'
      WHEN DATE '2025-05-02' THEN 'Перенос выходного дня'
      WHEN DATE '2025-05-08' THEN 'Перенос выходного дня'
      WHEN DATE '2025-05-09' THEN 'День Победы'
      WHEN DATE '2025-06-12' THEN 'День России'
      WHEN DATE '2025-06-13' THEN 'Перенос выходного дня'
      WHEN DATE '2025-11-03' THEN 'Перенос выходного дня'
      WHEN DATE '2025-11-04' THEN 'День народного единства'
      WHEN DATE '2025-12-31' THEN 'Перенос выходного дня'
      WHEN DATE '2026-01-01' THEN 'Новогодние каникулы'
      WHEN DATE '2026-01-02' THEN 'Новогодние каникулы'
      WHEN DATE '2026-01-05' THEN 'Новогодние каникулы'
      WHEN DATE '2026-01-06' THEN 'Новогодние каникулы'
      WHEN DATE '2026-01-07' THEN 'Рождество Христово'
      WHEN DATE '2026-01-08' THEN 'Новогодние каникулы'
      WHEN DATE '2026-01-09' THEN 'Перенос выходного дня'
      WHEN DATE '2026-02-23' THEN 'День защитника Отечества'
      WHEN DATE '2026-03-09' THEN 'Перенос Международного женского дня'
      WHEN DATE '2026-05-01' THEN 'Праздник Весны и Труда'
      WHEN DATE '2026-05-11' THEN 'Перенос Дня Победы'
      WHEN DATE '2026-06-12' THEN 'День России'
      WHEN DATE '2026-11-04' THEN 'День народного единства'
      WHEN DATE '2026-12-31' THEN 'Перенос выходного дня'
      ELSE IIF(EXTRACT(WEEKDAY FROM d) IN (0, 6) AND d <> DATE '2025-11-01', 'Выходной день',
               NULL)
    END;
    IF (holiname IS NOT NULL) THEN
    BEGIN
      id = id + 1;
      INSERT INTO HOLIDAY (ID, HOLIDAY, HOLINAME) VALUES (:id, :d, :holiname);
    END
    d = d + 1;
  END
END^
SET TERM ; ^
