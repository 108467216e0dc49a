-- Standards of care of the demonstration registry's sheets (examples/
-- dbf-registry) beside those the budget seeds give ('3010101',
-- hypertension): the reception costs a coded sheet when its standard is in
-- force over the whole report month; the first digit is the care level.
INSERT INTO MES (KOD, NAME, TIP_STAC, NOZOLOG, KD, DATEFROM, SROK, VOZ, UR_G, UR_R, UR_K)
  VALUES ('3030101', 'Желчнокаменная болезнь', 1, 'K80-K87', 8, '2020-01-01', 8, '0', '+', '+',
          '+');
-- The regional hospital's plan covers the level its standards carry.
INSERT INTO PLAN_UR (LPU_CODE, TIP_STAC, GOD, UR) VALUES (1, 1, 2024, 3);
