-- A newborn is identified by its representative: the representative's names
-- and birth date on the person's row, and the register's reply text.
ALTER TABLE PACIENT ADD FAM_P VARCHAR(40);
ALTER TABLE PACIENT ADD IM_P VARCHAR(40);
ALTER TABLE PACIENT ADD OT_P VARCHAR(40);
ALTER TABLE PACIENT ADD DR_P TIMESTAMP;
ALTER TABLE PACIENT ADD NAME_REPLY VARCHAR(100);
