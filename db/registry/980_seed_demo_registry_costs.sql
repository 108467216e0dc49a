-- Standards of care of the demonstration registry's sheets (examples/
-- dbf-registry): the reception costs a coded sheet when its standard is in
-- force over the whole report month.
INSERT INTO MES (KOD, NAME, TIP_STAC, NOZOLOG, KD, DATEFROM, SROK, VOZ, UR_G, UR_R, UR_K)
  VALUES ('1010101', 'Гипертоническая болезнь', 1, 'I10-I15', 10, '2020-01-01', 10, '0', '+', '+',
          '+');
INSERT INTO MES (KOD, NAME, TIP_STAC, NOZOLOG, KD, DATEFROM, SROK, VOZ, UR_G, UR_R, UR_K)
  VALUES ('1030101', 'Желчнокаменная болезнь', 1, 'K80-K87', 8, '2020-01-01', 8, '0', '+', '+',
          '+');
