-- The sums of a case's expertises as the reception stores its sanctions:
-- МЭК (SUM_MEK, already a column), МЭЭ and ЭКМП, and the kind of the
-- expertise that set them (4 МЭК, 1 МЭЭ, 2 ЭКМП).
ALTER TABLE STACION ADD SUM_MEE NUMERIC(18,4);
ALTER TABLE STACION ADD SUM_EKMP NUMERIC(18,4);
ALTER TABLE STACION ADD EXPERT SMALLINT;
