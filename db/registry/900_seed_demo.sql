-- Demonstration reference data: a few institutions, the two insurers of the
-- region, the payment kinds and the payers.
INSERT INTO VIDOPLAT (ID, NAME) VALUES (1, 'ОМС');
INSERT INTO VIDOPLAT (ID, NAME) VALUES (2, 'бюджет');
INSERT INTO VIDOPLAT (ID, NAME) VALUES (3, 'платные услуги');
INSERT INTO VIDOPLAT (ID, NAME) VALUES (4, 'ДМС');
INSERT INTO VIDOPLAT (ID, NAME) VALUES (5, 'другое');
INSERT INTO VIDOPLAT (ID, NAME) VALUES (6, 'ВМП');
INSERT INTO VIDOPLAT (ID, NAME) VALUES (7, 'Реабилитация');

-- O_TERR is the insurer's region as a policy names it (POL_OBL; 1137 the
-- home region), which a case of a package takes; SMOCOD and TERR_OKATO are
-- its codes in the exchange.
INSERT INTO SMO (O_COD, O_TERR, SMOCOD, TERR_OKATO, NAME)
  VALUES (2778, '1137', '45001', '37000', 'Страховая компания «Бервинта»');
INSERT INTO SMO (O_COD, O_TERR, SMOCOD, TERR_OKATO, NAME)
  VALUES (2779, '1137', '45002', '37000', 'Страховая компания «Тальви»');

INSERT INTO DORER (ID, NAME, FNAME, ADDRESS, INN, KPP, BANK, P_C, BIKBANK, DIRECTOR_FULL, BUHGAL_FULL)
  VALUES (1, 'ТФОМС', 'Территориальный фонд обязательного медицинского страхования',
          'г. Курган, ул. Гоголя, 56', '4501000000', '450101001', 'Отделение Курган',
          '40404810000000000001', '043735001', 'Директор фонда', 'Главный бухгалтер фонда');
INSERT INTO DORER (ID, NAME, FNAME, INN, KPP, BANK, P_C, BIKBANK)
  VALUES (2, 'Тальви', 'Филиал страховой компании «Тальви»', '4501000002', '450101002',
          'Отделение Курган', '40701810000000000002', '043735001');
INSERT INTO DORER (ID, NAME, FNAME, INN, KPP, BANK, P_C, BIKBANK)
  VALUES (3, 'Бервинта', 'Филиал страховой компании «Бервинта»', '4501000003', '450101003',
          'Отделение Курган', '40701810000000000003', '043735001');

INSERT INTO LPU (ID, NAME, FNAME, DIR, DIRDN, DIRDOM, DIRDNST, UROV, GL_VR, GL_BX, INN, KPP,
                 ADR, PHONE_GLV, BANK, P_C, BIKBANK, ATTACH, ONECHANEL)
  VALUES (1, 'Областная больница', 'ГБУ «Областная клиническая больница»', 'okb', 'okbdn',
          'okbdom', 'okbdnst', 'Р', 'Иванов И. И.', 'Петрова П. П.', '4501100001', '450101011',
          'г. Курган, ул. Томина, 63', '41-00-01', 'Отделение Курган', '40601810000000000011',
          '043735001', 0, 0);
INSERT INTO LPU (ID, NAME, FNAME, DIR, DIRDN, DIRDOM, DIRDNST, UROV, GL_VR, GL_BX, INN, KPP,
                 ADR, PHONE_GLV, BANK, P_C, BIKBANK, ATTACH, ONECHANEL)
  VALUES (25, 'Городская больница № 1', 'ГБУ «Городская больница № 1»', 'lpu25', 'lpu25dn',
          'lpu25dom', 'lpu25dnst', 'Г', 'Сидоров С. С.', 'Кузнецова К. К.', '4501100025',
          '450101025', 'г. Курган, ул. Ленина, 1', '41-00-25', 'Отделение Курган',
          '40601810000000000025', '043735001', 1, 0);
INSERT INTO LPU (ID, NAME, FNAME, DIR, DIRDN, DIRDOM, DIRDNST, UROV, GL_VR, GL_BX, INN, KPP,
                 ADR, PHONE_GLV, BANK, P_C, BIKBANK, ATTACH, ONECHANEL)
  VALUES (30, 'Детская больница', 'ГБУ «Детская областная больница»', 'lpu30', 'lpu30dn',
          'lpu30dom', 'lpu30dnst', 'Р', 'Смирнова А. В.', 'Орлова Е. Н.', '4501100030',
          '450101030', 'г. Курган, ул. Карбышева, 10', '41-00-30', 'Отделение Курган',
          '40601810000000000030', '043735001', 1, 1);
INSERT INTO LPU (ID, NAME, FNAME, DIR, DIRDN, DIRDOM, DIRDNST, UROV, GL_VR, GL_BX, INN, KPP,
                 ADR, PHONE_GLV, BANK, P_C, BIKBANK, ATTACH, ONECHANEL)
  VALUES (33, 'Районная больница', 'ГБУ «Центральная районная больница»', 'lpu33', 'lpu33dn',
          'lpu33dom', 'lpu33dnst', 'Р', 'Фёдоров Ф. Ф.', 'Белова Б. Б.', '4501100033',
          '450101033', 'с. Кетово, ул. Космонавтов, 2', '41-00-33', 'Отделение Курган',
          '40601810000000000033', '043735001', 0, 0);

INSERT INTO LPU_MCOD (LPU_ID, MCOD) VALUES (1, '450001');
INSERT INTO LPU_MCOD (LPU_ID, MCOD) VALUES (25, '450025');
INSERT INTO LPU_MCOD (LPU_ID, MCOD) VALUES (30, '450030');
INSERT INTO LPU_MCOD (LPU_ID, MCOD) VALUES (33, '450033');
