-- Demonstration persons of the register.
INSERT INTO PACIENT (ID, FAM, IM, OT, DR, TERR_OMS, SPOLIS, NPOLIS, DOCSER, DOCNUM, DATE_1, ANSWER, DATE_EDIT)
  VALUES (1, 'ИВАНОВ', 'ПЁТР', 'СЕРГЕЕВИЧ', '1970-05-12', '37000', '', '4550000000000001',
          '37 04', '123456', '2011-01-01', 1, '2012-01-10');
INSERT INTO PACIENT (ID, FAM, IM, OT, DR, TERR_OMS, SPOLIS, NPOLIS, DOCSER, DOCNUM, DATE_1, ANSWER, DATE_EDIT)
  VALUES (2, 'СМИРНОВА', 'АННА', 'ПАВЛОВНА', '1985-11-03', '37000', '', '4550000000000002',
          '37 05', '654321', '2011-01-01', 1, '2012-02-15');
