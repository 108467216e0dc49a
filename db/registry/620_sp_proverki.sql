-- The rule checks of a reception's pass: one row per treatment sheet of the
-- (up to four) reports, the rows of a case together, one column per rule.
-- A flag column is "1" when its rule found something and "0" otherwise;
-- the texts (OSH32, PLAN_ERR, LEKAR_ERR, MES_ERR) carry their finding.
-- SUM_MEK is -1 when the same person has another stay that meets this one.
-- MTRERR1 to MTRERR11 are the data an out-of-region patient's record must
-- carry for the settlement with the region of insurance.
-- VOZ is the patient's age group as the standards of care code it; UR_G,
-- UR_R and UR_K the levels the main standard may be paid at.

SET TERM ^ ;

CREATE PROCEDURE SP_PROVERKI (REPN1 INTEGER, REPN2 INTEGER, REPN3 INTEGER, REPN4 INTEGER)
RETURNS (
  FAMILY VARCHAR(40),
  ID_ILL INTEGER,
  OSH1 VARCHAR(1),
  OSH2 VARCHAR(1),
  OSH3 VARCHAR(1),
  OSH4 VARCHAR(1),
  OSH5 VARCHAR(1),
  OSH6 VARCHAR(1),
  OSH7 VARCHAR(1),
  OSH8 VARCHAR(1),
  OSH9 VARCHAR(1),
  OSH10 VARCHAR(1),
  OSH11 VARCHAR(1),
  OSH12 VARCHAR(1),
  OSH13 VARCHAR(1),
  OSH14 VARCHAR(1),
  OSH15 VARCHAR(1),
  OSH16 VARCHAR(1),
  OSH17 VARCHAR(1),
  OSH18 VARCHAR(1),
  OSH19 VARCHAR(1),
  OSH20 VARCHAR(1),
  OSH21_1 VARCHAR(1),
  OSH21_2 VARCHAR(1),
  OSH21_3 VARCHAR(1),
  OSH21_4 VARCHAR(1),
  OSH22_1 VARCHAR(255),
  OSH22_2 VARCHAR(255),
  OSH22_3 VARCHAR(255),
  OSH22_4 VARCHAR(255),
  OSH23_1 VARCHAR(1),
  OSH23_2 VARCHAR(1),
  OSH23_3 VARCHAR(1),
  OSH23_4 VARCHAR(1),
  OSH24_1 VARCHAR(1),
  OSH24_2 VARCHAR(1),
  OSH24_3 VARCHAR(1),
  OSH24_4 VARCHAR(1),
  OSH25 VARCHAR(1),
  OSH26 VARCHAR(1),
  OSH27 VARCHAR(1),
  OSH32 VARCHAR(100),
  OSH33 VARCHAR(1),
  OSH34 VARCHAR(1),
  OSH35 VARCHAR(1),
  OSH40 VARCHAR(1),
  OSH39 VARCHAR(1),
  OSH36 VARCHAR(1),
  KOL INTEGER,
  OSH37 VARCHAR(1),
  OSH38 VARCHAR(1),
  RAION VARCHAR(40),
  NOZOLOG VARCHAR(255),
  VOZ VARCHAR(1),
  UR_G VARCHAR(1),
  UR_R VARCHAR(1),
  UR_K VARCHAR(1),
  STAC_DIAG VARCHAR(7),
  ACC_NOZ VARCHAR(1500),
  ACC_VOZ VARCHAR(100),
  ACC_URG VARCHAR(100),
  ACC_URR VARCHAR(100),
  ACC_URK VARCHAR(100),
  ACCOMP VARCHAR(255),
  DIN_STAC TIMESTAMP,
  DOUT_STAC TIMESTAMP,
  DR TIMESTAMP,
  COMP_NAME VARCHAR(80),
  SERIA VARCHAR(9),
  NUMBER VARCHAR(25),
  NAME VARCHAR(40),
  FATHER VARCHAR(40),
  STARTD TIMESTAMP,
  SROK INTEGER,
  OPLAT INTEGER,
  FINISH TIMESTAMP,
  OSH41 VARCHAR(1),
  OSH42 VARCHAR(1),
  OSH_PAR0 INTEGER,
  OSH_PAR1 INTEGER,
  OSH_PAR2 INTEGER,
  OSH_PAR3 INTEGER,
  OSH_PAR4 INTEGER,
  OSH_PAR5 INTEGER,
  P_VOZRASTM INTEGER,
  MTRERR1 VARCHAR(1),
  MTRERR2 VARCHAR(1),
  MTRERR3 VARCHAR(1),
  MTRERR4 VARCHAR(1),
  MTRERR5 VARCHAR(1),
  MTRERR6 VARCHAR(1),
  NOMMTL INTEGER,
  OSH43 VARCHAR(1),
  MTRERR7 VARCHAR(1),
  OSH_PAR6 INTEGER,
  OSH_PAR7 INTEGER,
  OSH_VOV VARCHAR(1),
  MTRERR8 VARCHAR(1),
  MTRERR9 VARCHAR(1),
  MTRERR10 VARCHAR(1),
  MTRERR11 VARCHAR(1),
  OSH44 VARCHAR(1),
  OSH45 VARCHAR(1),
  NOMIB VARCHAR(50),
  PRVS INTEGER,
  PR_FED SMALLINT,
  POL SMALLINT,
  OSH47 VARCHAR(1),
  OSH48 VARCHAR(1),
  PRVS_ERR SMALLINT,
  H_VPOLIS SMALLINT,
  H_FDOCS SMALLINT,
  H_DOCSER VARCHAR(10),
  H_DOCNUM VARCHAR(20),
  H_SNILS VARCHAR(14),
  H_SMOOGRN VARCHAR(15),
  PROF_ERR SMALLINT,
  P_BED SMALLINT,
  H_SMOOK VARCHAR(10),
  H_SMOCOD VARCHAR(6),
  DIAGGRP_ERR SMALLINT,
  NOVOR VARCHAR(12),
  PR_FAM VARCHAR(40),
  PR_IM VARCHAR(40),
  PR_OT VARCHAR(40),
  PR_SERIA VARCHAR(9),
  PR_NUMBER VARCHAR(25),
  PR_DSERIA VARCHAR(10),
  PR_DNUMBER VARCHAR(20),
  PR_DR TIMESTAMP,
  IDCASE INTEGER,
  LPU_MCOD INTEGER,
  COST_SF NUMERIC(18,4),
  DATE_REP TIMESTAMP,
  OSH_POVTOR SMALLINT,
  MCOD VARCHAR(6),
  SUM_MEK NUMERIC(18,4),
  OSH49 VARCHAR(1),
  KOD_MES VARCHAR(20),
  MES_ACC VARCHAR(255),
  REPN INTEGER,
  P_TS SMALLINT,
  LEKAR_ERR VARCHAR(75),
  PLAN_ERR VARCHAR(200),
  PLAN_ERR2 VARCHAR(1),
  ECO_ERR VARCHAR(7),
  MES_ERR VARCHAR(30),
  TALON_ERR VARCHAR(1),
  RANKIN_ERR VARCHAR(1),
  CNT_USL_ERR VARCHAR(1),
  CONVOY_AGE_ERR VARCHAR(1),
  P_VOZRAST INTEGER,
  MTLCNT SMALLINT,
  BED_SPEC_ERR VARCHAR(50),
  VERSION_IN VARCHAR(50),
  VERSION_OUT VARCHAR(50),
  VERSION_BASE VARCHAR(50),
  ACC1 VARCHAR(7),
  ACC2 VARCHAR(7),
  ACC3 VARCHAR(7),
  MTL_ONCO_STATUS SMALLINT,
  ERR_NAPRAVLEN VARCHAR(1),
  ERR_NAPR_DATE VARCHAR(1))
AS
  DECLARE VARIABLE v_tip_stac SMALLINT;
  DECLARE VARIABLE v_lpu INTEGER;
  DECLARE VARIABLE v_date_beg TIMESTAMP;
  DECLARE VARIABLE v_polis VARCHAR(20);
  DECLARE VARIABLE v_pol_obl VARCHAR(5);
  DECLARE VARIABLE v_obl INTEGER;
  DECLARE VARIABLE v_stac_diags VARCHAR(7);
  DECLARE VARIABLE v_sres SMALLINT;
  DECLARE VARIABLE v_sishod SMALLINT;
  DECLARE VARIABLE v_dokument SMALLINT;
  DECLARE VARIABLE v_tal_d TIMESTAMP;
  DECLARE VARIABLE v_s_sum_mek NUMERIC(18,4);
  DECLARE VARIABLE v_mtl_id INTEGER;
  DECLARE VARIABLE v_acc_mes1 VARCHAR(15);
  DECLARE VARIABLE v_acc_mes2 VARCHAR(15);
  DECLARE VARIABLE v_acc_mes3 VARCHAR(15);
  DECLARE VARIABLE v_stan_obsl SMALLINT;
  DECLARE VARIABLE v_stan_lecen SMALLINT;
  DECLARE VARIABLE v_kash_mes SMALLINT;
  DECLARE VARIABLE v_kuracia SMALLINT;
  DECLARE VARIABLE v_extren SMALLINT;
  DECLARE VARIABLE v_interrupt SMALLINT;
  DECLARE VARIABLE v_res SMALLINT;
  DECLARE VARIABLE v_ishod SMALLINT;
  DECLARE VARIABLE v_profile INTEGER;
  DECLARE VARIABLE v_profil_bed INTEGER;
  DECLARE VARIABLE v_append SMALLINT;
  DECLARE VARIABLE v_app_kd INTEGER;
  DECLARE VARIABLE v_reanim SMALLINT;
  DECLARE VARIABLE v_dreanim VARCHAR(15);
  DECLARE VARIABLE v_d_seria VARCHAR(10);
  DECLARE VARIABLE v_d_nomber VARCHAR(20);
  DECLARE VARIABLE v_mes_tip SMALLINT;
  DECLARE VARIABLE v_found SMALLINT;
  DECLARE VARIABLE v_oms SMALLINT;
  DECLARE VARIABLE v_id_mp INTEGER;
  DECLARE VARIABLE v_age_from SMALLINT;
  DECLARE VARIABLE v_age_to SMALLINT;
  DECLARE VARIABLE v_prev_finish TIMESTAMP;
  DECLARE VARIABLE v_last_res SMALLINT;
  DECLARE VARIABLE v_last_ishod SMALLINT;
  DECLARE VARIABLE v_par_obl VARCHAR(5);
  DECLARE VARIABLE v_has_parent SMALLINT;
  DECLARE VARIABLE v_i SMALLINT;
  DECLARE VARIABLE v_acc VARCHAR(7);
  DECLARE VARIABLE v_acc_mes VARCHAR(15);
  DECLARE VARIABLE v_noz VARCHAR(255);
  DECLARE VARIABLE e1 VARCHAR(1);
  DECLARE VARIABLE e2 VARCHAR(1);
  DECLARE VARIABLE e3 VARCHAR(1);
  DECLARE VARIABLE e4 VARCHAR(1);
  DECLARE VARIABLE v_pr_nov SMALLINT;
  DECLARE VARIABLE v_vov SMALLINT;
  DECLARE VARIABLE v_rankin SMALLINT;
  DECLARE VARIABLE v_napravlen INTEGER;
  DECLARE VARIABLE v_vmp_met INTEGER;
  DECLARE VARIABLE v_prev_month TIMESTAMP;
  DECLARE VARIABLE v_mark VARCHAR(1);
  DECLARE VARIABLE v_urg VARCHAR(1);
  DECLARE VARIABLE v_urr VARCHAR(1);
  DECLARE VARIABLE v_urk VARCHAR(1);
  DECLARE VARIABLE v_god SMALLINT;
  DECLARE VARIABLE v_level SMALLINT;
  DECLARE VARIABLE v_prev_stays INTEGER;
  DECLARE VARIABLE v_prev_sanctioned INTEGER;
  DECLARE VARIABLE v_intensiv SMALLINT;
  DECLARE VARIABLE v_kod_mes_it VARCHAR(20);
  DECLARE VARIABLE v_it_kd INTEGER;
  DECLARE VARIABLE v_pension VARCHAR(20);
  DECLARE VARIABLE v_date_n TIMESTAMP;
  DECLARE VARIABLE v_date_e TIMESTAMP;
  DECLARE VARIABLE v_napr_date TIMESTAMP;
  DECLARE VARIABLE v_vr_fio VARCHAR(60);
  DECLARE VARIABLE v_urov VARCHAR(1);
  DECLARE VARIABLE v_max_acc SMALLINT;
  DECLARE VARIABLE v_eco VARCHAR(20);
  DECLARE VARIABLE v_novor_missing SMALLINT;

  -- The classifier's findings for one diagnosis: unknown code, not paid by
  -- the OMS, wrong sex, wrong age.
  DECLARE PROCEDURE CHECK_MKB (P_CODE VARCHAR(7), P_SEX SMALLINT, P_AGE INTEGER)
  RETURNS (R1 VARCHAR(1), R2 VARCHAR(1), R3 VARCHAR(1), R4 VARCHAR(1))
  AS
    DECLARE VARIABLE k_oms SMALLINT;
    DECLARE VARIABLE k_pol SMALLINT;
    DECLARE VARIABLE k_from SMALLINT;
    DECLARE VARIABLE k_to SMALLINT;
  BEGIN
    R1 = '0'; R2 = '0'; R3 = '0'; R4 = '0';
    IF (NOT EXISTS (SELECT 1 FROM MKB k WHERE k.CODE = TRIM(:P_CODE))) THEN
      R1 = '1';
    ELSE
    BEGIN
      SELECT k.OMS, k.POL, k.AGE_FROM, k.AGE_TO FROM MKB k WHERE k.CODE = TRIM(:P_CODE)
        INTO :k_oms, :k_pol, :k_from, :k_to;
      IF (COALESCE(k_oms, 1) = 0) THEN R2 = '1';
      IF (k_pol IS NOT NULL AND P_SEX IS NOT NULL AND k_pol <> P_SEX) THEN R3 = '1';
      IF (P_AGE IS NOT NULL AND ((k_from IS NOT NULL AND P_AGE < k_from) OR
                                 (k_to IS NOT NULL AND P_AGE > k_to))) THEN R4 = '1';
    END
  END

BEGIN
  FOR SELECT s.ID_ILL, m.NOM_MTL, s.FAMILY, s.NAME, s.FATHER, s.DR, s.IN_STAC, s.OUT_STAC,
             s.SERIA, s.NUMBER, s.POLIS, s.POL_OBL, s.OBL, s.RAION, s.NOMIB, s.POL, s.MCOD,
             s.SUM_MEK, s.IDCASE, s.NOVOR, s.COST_SF, s.STAC_DIAGS, s.SRES_LECHEN,
             s.SISHOD_LECE, s.DOKUMENT, s.TAL_D, s.VPOLIS, s.D_SERIA, s.D_NOMBER,
             m.ID, m.STAC_DIAG, TRIM(COALESCE(m.KOD_MES, '')), m.ACCOMP1, m.ACCOMP2, m.ACCOMP3,
             m.MES_ACC1, m.MES_ACC2, m.MES_ACC3, m.STAN_OBSL, m.STAN_LECEN, m.KASH_MES,
             m.KURACIA, m.EXTREN, m.INTERRUPT, m.RES_LECHEN, m.ISHOD_LECE, m.PROFILE, m.STARTD,
             m.FINISH, m.OPLAT, m.PRVS, m.PR_FED, m.PROFIL_BED, m.APPEND, m.APP_KD, m.REANIM,
             m.DREANIM, COALESCE(m.MTL_ONCO_STATUS, 0),
             COALESCE(s.PR_NOV, 0), s.VOV, s.RANKIN, s.NAPRAVLEN, m.VMP_MET,
             r.REPN, r.TIP_STAC, r.LPU, r.DATE_BEG,
             m.INTENSIV, m.KOD_MES_IT, COALESCE(NULLIF(TRIM(m.VR_FIO), ''), m.IDDOKT), s.PENSION, s.DATE_N, s.DATE_E, s.NAPR_DATE,
             r.VERSION_IN, r.VERSION_OUT
      FROM STACION s
      JOIN REPORTS r ON r.REPN = s.REPN
      JOIN MTL m ON m.ID_ILL = s.ID_ILL
      WHERE s.REPN IN (:REPN1, :REPN2, :REPN3, :REPN4)
      ORDER BY s.ID_ILL, m.NOM_MTL, m.ID
      INTO :ID_ILL, :NOMMTL, :FAMILY, :NAME, :FATHER, :DR, :DIN_STAC, :DOUT_STAC,
           :SERIA, :NUMBER, :v_polis, :v_pol_obl, :v_obl, :RAION, :NOMIB, :POL, :MCOD,
           :v_s_sum_mek, :IDCASE, :NOVOR, :COST_SF, :v_stac_diags, :v_sres,
           :v_sishod, :v_dokument, :v_tal_d, :H_VPOLIS, :v_d_seria, :v_d_nomber,
           :v_mtl_id, :STAC_DIAG, :KOD_MES, :ACC1, :ACC2, :ACC3,
           :v_acc_mes1, :v_acc_mes2, :v_acc_mes3, :v_stan_obsl, :v_stan_lecen, :v_kash_mes,
           :v_kuracia, :v_extren, :v_interrupt, :v_res, :v_ishod, :v_profile, :STARTD,
           :FINISH, :OPLAT, :PRVS, :PR_FED, :v_profil_bed, :v_append, :v_app_kd, :v_reanim,
           :v_dreanim, :MTL_ONCO_STATUS,
           :v_pr_nov, :v_vov, :v_rankin, :v_napravlen, :v_vmp_met,
           :REPN, :v_tip_stac, :v_lpu, :v_date_beg,
           :v_intensiv, :v_kod_mes_it, :v_vr_fio, :v_pension, :v_date_n, :v_date_e, :v_napr_date,
           :VERSION_IN, :VERSION_OUT
  DO
  BEGIN
    -- Flags without a rule of their own stay "0".
    OSH1 = '0'; OSH2 = '0'; OSH3 = '0'; OSH4 = '0'; OSH5 = '0'; OSH6 = '0'; OSH7 = '0';
    OSH8 = '0'; OSH9 = '0'; OSH10 = '0'; OSH11 = '0'; OSH12 = '0'; OSH13 = '0'; OSH14 = '0';
    OSH15 = '0'; OSH16 = '0'; OSH17 = '0'; OSH18 = '0'; OSH19 = '0'; OSH20 = '0';
    OSH25 = '0'; OSH26 = '0'; OSH27 = '0'; OSH32 = '0'; OSH33 = '0'; OSH34 = '0'; OSH35 = '0';
    OSH36 = '0'; OSH37 = '0'; OSH38 = '0'; OSH39 = '0'; OSH40 = '0'; OSH41 = '0'; OSH42 = '0';
    OSH43 = '0'; OSH44 = '0'; OSH45 = '0'; OSH47 = '0'; OSH48 = '0'; OSH49 = '0';
    OSH_VOV = '0';
    MTRERR1 = '0'; MTRERR2 = '0'; MTRERR3 = '0'; MTRERR4 = '0'; MTRERR5 = '0'; MTRERR6 = '0';
    MTRERR7 = '0'; MTRERR8 = '0'; MTRERR9 = '0'; MTRERR10 = '0'; MTRERR11 = '0';
    OSH_PAR0 = 0; OSH_PAR1 = 0; OSH_PAR2 = 0; OSH_PAR3 = 0; OSH_PAR4 = 0; OSH_PAR5 = 0;
    OSH_PAR6 = 0; OSH_PAR7 = 0;
    VOZ = '0'; UR_G = '0'; UR_R = '0'; UR_K = '0';
    ACC_VOZ = ''; ACC_URG = ''; ACC_URR = ''; ACC_URK = '';
    PLAN_ERR = '0'; PLAN_ERR2 = '0'; ECO_ERR = '0'; TALON_ERR = '0'; RANKIN_ERR = '0';
    CNT_USL_ERR = '0'; CONVOY_AGE_ERR = '0'; MES_ERR = ''; LEKAR_ERR = ''; BED_SPEC_ERR = '';
    ERR_NAPRAVLEN = '0'; ERR_NAPR_DATE = '0'; OSH_POVTOR = 0; DIAGGRP_ERR = 0;
    H_FDOCS = v_dokument;
    H_SNILS = LEFT(NULLIF(TRIM(v_pension), ''), 14);
    VERSION_BASE = 'VERSION2026.12';
    P_TS = v_tip_stac;
    DATE_REP = v_date_beg;
    H_DOCSER = v_d_seria;
    H_DOCNUM = v_d_nomber;
    P_BED = v_profil_bed;
    v_novor_missing = IIF(NOVOR IS NULL OR TRIM(NOVOR) = '', 1, 0);
    IF (v_novor_missing = 1) THEN NOVOR = '0';
    SROK = IIF(DIN_STAC IS NULL OR DOUT_STAC IS NULL, NULL,
               DATEDIFF(DAY FROM CAST(DIN_STAC AS DATE) TO CAST(DOUT_STAC AS DATE)));

    -- Age at admission in whole years and months.
    P_VOZRAST = NULL; P_VOZRASTM = NULL;
    IF (DR IS NOT NULL AND DIN_STAC IS NOT NULL) THEN
    BEGIN
      P_VOZRAST = EXTRACT(YEAR FROM DIN_STAC) - EXTRACT(YEAR FROM DR)
                  - IIF(EXTRACT(MONTH FROM DIN_STAC) * 100 + EXTRACT(DAY FROM DIN_STAC) <
                        EXTRACT(MONTH FROM DR) * 100 + EXTRACT(DAY FROM DR), 1, 0);
      P_VOZRASTM = (EXTRACT(YEAR FROM DIN_STAC) - EXTRACT(YEAR FROM DR)) * 12
                   + EXTRACT(MONTH FROM DIN_STAC) - EXTRACT(MONTH FROM DR)
                   - IIF(EXTRACT(DAY FROM DIN_STAC) < EXTRACT(DAY FROM DR), 1, 0);
    END
    -- The patient's age group as the standards of care code it: "1" a
    -- child, "0" an adult (also when the age is unknown).
    IF (P_VOZRAST IS NOT NULL AND P_VOZRAST < 18) THEN VOZ = '1';

    -- The institution's code, the insurer (STACION.POLIS holds its code).
    LPU_MCOD = NULL;
    SELECT FIRST 1 IIF(TRIM(lm.MCOD) SIMILAR TO '[0-9]+', CAST(TRIM(lm.MCOD) AS INTEGER), NULL)
      FROM LPU_MCOD lm WHERE lm.LPU_ID = :v_lpu INTO :LPU_MCOD;
    v_urov = NULL;
    SELECT FIRST 1 TRIM(l.UROV) FROM LPU l WHERE l.ID = :v_lpu INTO :v_urov;
    COMP_NAME = NULL; H_SMOCOD = NULL; H_SMOOK = NULL; H_SMOOGRN = NULL;
    SELECT FIRST 1 sm.NAME, sm.SMOCOD, sm.TERR_OKATO, sm.OGRN FROM SMO sm
      WHERE CAST(sm.O_COD AS VARCHAR(20)) = TRIM(:v_polis)
      INTO :COMP_NAME, :H_SMOCOD, :H_SMOOK, :H_SMOOGRN;
    -- An insurer of the home region (territory 37000) with a policy of
    -- another region (1137 is the home one), or the other way round.
    IF (H_SMOOK IS NOT NULL AND TRIM(COALESCE(v_pol_obl, '')) <> '' AND
        IIF(TRIM(H_SMOOK) = '37000', 1, 0) <> IIF(TRIM(v_pol_obl) = '1137', 1, 0)) THEN
      OSH20 = '1';
    IF (TRIM(COALESCE(v_polis, '')) = '') THEN
    BEGIN
      COMP_NAME = 'Не застрахованное население';
      IF (TRIM(COALESCE(v_pol_obl, '')) = '1137') THEN OSH41 = '1';
    END

    -- Impossible values of the sheet's codes, missing ones.
    IF (COALESCE(v_stan_obsl, 0) < 0) THEN OSH2 = '1';
    IF (COALESCE(v_stan_lecen, 0) < 0) THEN OSH3 = '1';
    IF (COALESCE(v_kash_mes, 0) < 0) THEN OSH4 = '1';
    IF (COALESCE(v_sres, 0) < 0) THEN OSH5 = '1';
    IF (COALESCE(v_kuracia, 0) < 0) THEN OSH7 = '1';
    IF (COALESCE(v_extren, 0) < 0) THEN OSH8 = '1';
    IF (COALESCE(v_intensiv, 0) < 0) THEN OSH9 = '1';
    IF (COALESCE(v_interrupt, 0) < 0) THEN OSH10 = '1';
    IF (COALESCE(v_profile, 0) = 0) THEN OSH11 = '1';
    IF (TRIM(COALESCE(STAC_DIAG, '')) = '') THEN OSH12 = '1';
    IF (STARTD IS NULL OR FINISH IS NULL) THEN OSH13 = '1';
    IF (COALESCE(v_res, 0) = 0) THEN OSH15 = '1';
    IF (COALESCE(v_ishod, 0) = 0) THEN OSH16 = '1';
    -- An outcome that only some bed profiles may give.
    IF (EXISTS (SELECT 1 FROM ISHOD_PROFIL ip WHERE ip.ISHOD = :v_ishod) AND
        NOT EXISTS (SELECT 1 FROM ISHOD_PROFIL ip
                    WHERE ip.ISHOD = :v_ishod AND ip.PROFILE = :v_profile)) THEN
      OSH6 = '1';
    IF (COALESCE(v_dokument, 0) < 0) THEN OSH17 = '1';
    IF (POL IS NULL OR POL NOT IN (1, 2)) THEN OSH18 = '1';
    IF (DR IS NULL) THEN OSH19 = '1';
    IF (TRIM(COALESCE(SERIA, '')) = '' AND TRIM(COALESCE(NUMBER, '')) = '' AND
        TRIM(COALESCE(v_polis, '')) = '' AND TRIM(COALESCE(v_d_nomber, '')) = '') THEN
      OSH27 = '1';
    IF (TRIM(COALESCE(v_stac_diags, '')) = '') THEN OSH48 = '1';
    IF (COALESCE(v_reanim, 0) > 0 AND TRIM(COALESCE(v_dreanim, '')) = '') THEN OSH39 = '1';
    IF (v_append = 1 AND COALESCE(v_app_kd, 0) = 0) THEN OSH43 = '1';
    IF (v_append = 1 AND v_tip_stac = 1 AND COALESCE(P_VOZRAST, 0) >= 4) THEN
      CONVOY_AGE_ERR = '2';
    IF (OPLAT = 6 AND v_tal_d IS NOT NULL AND DIN_STAC IS NOT NULL AND
        CAST(v_tal_d AS DATE) > CAST(DIN_STAC AS DATE) + 1) THEN
      TALON_ERR = '1';

    -- The sheet's dates against the stay's and the sheet before it.
    IF (STARTD IS NOT NULL AND FINISH IS NOT NULL AND
        (CAST(STARTD AS DATE) < CAST(DIN_STAC AS DATE) OR
         CAST(FINISH AS DATE) > CAST(DOUT_STAC AS DATE))) THEN
      OSH36 = '1';
    IF (NOMMTL > 1) THEN
    BEGIN
      v_prev_finish = NULL;
      SELECT FIRST 1 m1.FINISH FROM MTL m1
        WHERE m1.ID_ILL = :ID_ILL AND m1.NOM_MTL < :NOMMTL ORDER BY m1.NOM_MTL DESC
        INTO :v_prev_finish;
      IF (v_prev_finish IS NOT NULL AND STARTD IS NOT NULL AND
          CAST(v_prev_finish AS DATE) <> CAST(STARTD AS DATE)) THEN
        OSH38 = '1';
    END
    SELECT COUNT(*) FROM MTL m1 WHERE m1.ID_ILL = :ID_ILL INTO :MTLCNT;
    -- The sheets of a case are numbered 1, 2, ... without gaps or repeats.
    IF (NOMMTL IS NULL OR NOMMTL < 1) THEN
      OSH1 = '1';
    ELSE IF (NOMMTL > MTLCNT OR
             EXISTS (SELECT 1 FROM MTL m1 WHERE m1.ID_ILL = :ID_ILL AND m1.NOM_MTL = :NOMMTL
                       AND m1.ID <> :v_mtl_id)) THEN
      OSH37 = '1';
    SELECT COUNT(*) FROM OPERAT o WHERE o.ID_ILL = :ID_ILL AND o.NOM_MTL = :NOMMTL INTO :KOL;
    -- The case's last sheet closes the stay: it ends on the day of discharge.
    IF (NOMMTL = MTLCNT AND DOUT_STAC IS NOT NULL AND
        (FINISH IS NULL OR CAST(FINISH AS DATE) <> CAST(DOUT_STAC AS DATE))) THEN
      OSH14 = '1';
    -- The stay ends before it begins.
    IF (DIN_STAC IS NOT NULL AND DOUT_STAC IS NOT NULL AND
        CAST(DOUT_STAC AS DATE) < CAST(DIN_STAC AS DATE)) THEN
      OSH44 = '1';

    -- The stat card's result and outcome against the last sheet's.
    v_last_res = NULL; v_last_ishod = NULL;
    SELECT FIRST 1 m1.RES_LECHEN, m1.ISHOD_LECE FROM MTL m1
      WHERE m1.ID_ILL = :ID_ILL ORDER BY m1.NOM_MTL DESC INTO :v_last_res, :v_last_ishod;
    IF (v_sres IS NOT NULL AND v_last_res IS NOT NULL AND v_sres <> v_last_res) THEN OSH34 = '1';
    IF (v_sishod IS NOT NULL AND v_last_ishod IS NOT NULL AND v_sishod <> v_last_ishod) THEN
      OSH35 = '1';

    -- The classifier: main and accompanying diagnoses.
    EXECUTE PROCEDURE CHECK_MKB(STAC_DIAG, POL, P_VOZRAST)
      RETURNING_VALUES :OSH21_1, :OSH21_2, :OSH21_3, :OSH21_4;
    IF (TRIM(COALESCE(STAC_DIAG, '')) = '') THEN
    BEGIN
      OSH21_1 = '0'; OSH21_2 = '0'; OSH21_3 = '0'; OSH21_4 = '0';
    END
    OSH22_1 = '0'; OSH22_2 = '0'; OSH22_3 = '0'; OSH22_4 = '0';
    OSH23_1 = '0'; OSH23_2 = '0'; OSH23_3 = '0'; OSH23_4 = '0';
    OSH24_1 = '0'; OSH24_2 = '0'; OSH24_3 = '0'; OSH24_4 = '0';
    IF (TRIM(COALESCE(ACC1, '')) <> '') THEN
      EXECUTE PROCEDURE CHECK_MKB(ACC1, POL, P_VOZRAST)
        RETURNING_VALUES :OSH22_1, :OSH22_2, :OSH22_3, :OSH22_4;
    IF (TRIM(COALESCE(ACC2, '')) <> '') THEN
      EXECUTE PROCEDURE CHECK_MKB(ACC2, POL, P_VOZRAST)
        RETURNING_VALUES :OSH23_1, :OSH23_2, :OSH23_3, :OSH23_4;
    IF (TRIM(COALESCE(ACC3, '')) <> '') THEN
      EXECUTE PROCEDURE CHECK_MKB(ACC3, POL, P_VOZRAST)
        RETURNING_VALUES :OSH24_1, :OSH24_2, :OSH24_3, :OSH24_4;
    -- A three-character code whose heading has subheadings must name one.
    IF (POSITION('.' IN TRIM(COALESCE(STAC_DIAG, ''))) = 0 AND
        TRIM(COALESCE(STAC_DIAG, '')) <> '' AND
        EXISTS (SELECT 1 FROM MKB k WHERE k.CODE STARTING WITH TRIM(:STAC_DIAG) || '.')) THEN
      DIAGGRP_ERR = 1;

    -- The standard of care of the main disease and of the accompanying ones.
    NOZOLOG = ''; v_mes_tip = NULL; v_found = 0;
    IF (KOD_MES <> '') THEN
    BEGIN
      SELECT FIRST 1 1, COALESCE(me.NOZOLOG, ''), me.TIP_STAC, me.UR_G, me.UR_R, me.UR_K
        FROM MES me
        WHERE me.KOD = :KOD_MES AND me.DATEFROM <= :DOUT_STAC
          AND (me.DATETO >= :DOUT_STAC OR me.DATETO IS NULL)
        INTO :v_found, :NOZOLOG, :v_mes_tip, :v_urg, :v_urr, :v_urk;
      -- The levels of institution the standard may be paid at ("0" when it
      -- names none).
      UR_G = COALESCE(NULLIF(TRIM(v_urg), ''), '0');
      UR_R = COALESCE(NULLIF(TRIM(v_urr), ''), '0');
      UR_K = COALESCE(NULLIF(TRIM(v_urk), ''), '0');
      IF (v_found = 0) THEN OSH47 = '1';
      -- A standard the institution's level may not be paid at.
      IF (v_found = 1 AND ((v_urov = 'Г' AND UR_G = '-') OR (v_urov = 'Р' AND UR_R = '-') OR
                           (v_urov = 'К' AND UR_K = '-'))) THEN
        OSH32 = 'МЭС ' || KOD_MES || ' не оплачивается на уровне мед.организации (' ||
                v_urov || ')';
      IF (v_mes_tip IS NOT NULL AND v_mes_tip <> v_tip_stac) THEN
        MES_ERR = v_tip_stac || '_' || KOD_MES;
    END
    MES_ACC = ''; ACC_NOZ = ''; ACCOMP = ''; v_i = 1;
    WHILE (v_i <= 3) DO
    BEGIN
      v_acc = DECODE(v_i, 1, ACC1, 2, ACC2, ACC3);
      v_acc_mes = DECODE(v_i, 1, v_acc_mes1, 2, v_acc_mes2, v_acc_mes3);
      IF (TRIM(COALESCE(v_acc, '')) <> '') THEN
      BEGIN
        v_noz = ''; v_mark = NULL; v_urg = NULL; v_urr = NULL; v_urk = NULL;
        IF (TRIM(COALESCE(v_acc_mes, '')) <> '') THEN
          SELECT FIRST 1 COALESCE(me.NOZOLOG, ''), me.VOZ, me.UR_G, me.UR_R, me.UR_K FROM MES me
            WHERE me.KOD = TRIM(:v_acc_mes) AND me.DATEFROM <= :DOUT_STAC
              AND (me.DATETO >= :DOUT_STAC OR me.DATETO IS NULL)
            INTO :v_noz, :v_mark, :v_urg, :v_urr, :v_urk;
        MES_ACC = MES_ACC || '_' || v_i || '=' || TRIM(COALESCE(v_acc_mes, '')) || ';';
        ACC_NOZ = ACC_NOZ || '_' || v_i || '=' || TRIM(v_noz) || ';';
        ACCOMP = ACCOMP || '_' || v_i || '=' || TRIM(v_acc) || ';';
        -- The accompanying standard's age group and levels, in the same form.
        ACC_VOZ = ACC_VOZ || '_' || v_i || '=' || TRIM(COALESCE(v_mark, '')) || ';';
        ACC_URG = ACC_URG || '_' || v_i || '=' || TRIM(COALESCE(v_urg, '')) || ';';
        ACC_URR = ACC_URR || '_' || v_i || '=' || TRIM(COALESCE(v_urr, '')) || ';';
        ACC_URK = ACC_URK || '_' || v_i || '=' || TRIM(COALESCE(v_urk, '')) || ';';
      END
      v_i = v_i + 1;
    END
    -- More accompanying standards of care than the institution's level allows.
    v_max_acc = NULL;
    SELECT al.MAX_ACC FROM ACC_MES_LIMIT al WHERE al.UROV = :v_urov INTO :v_max_acc;
    IF (v_max_acc IS NOT NULL AND
        IIF(TRIM(COALESCE(v_acc_mes1, '')) <> '', 1, 0) +
        IIF(TRIM(COALESCE(v_acc_mes2, '')) <> '', 1, 0) +
        IIF(TRIM(COALESCE(v_acc_mes3, '')) <> '', 1, 0) > v_max_acc) THEN
      OSH33 = '1';

    -- Doctor's speciality and bed profile.
    PRVS_ERR = -1;
    SELECT FIRST 1 IIF(COALESCE(sp.OMS, 1) = 0, 1, 0) FROM SPR_SPECIALITY sp
      WHERE sp.CODE_SPEC = :PRVS AND :v_date_beg BETWEEN sp.DATEBEG AND
            COALESCE(sp.DATEEND, TIMESTAMP '9999-12-31 00:00:00')
      INTO :PRVS_ERR;
    PROF_ERR = 1; v_oms = NULL; v_id_mp = NULL; v_found = 0;
    SELECT FIRST 1 1, pb.ID_MP FROM PROFIL_BED pb
      WHERE pb.BED_ID = :v_profil_bed AND :v_date_beg BETWEEN pb.DATEBEG AND
            COALESCE(pb.DATEEND, TIMESTAMP '9999-12-31 00:00:00')
      INTO :v_found, :v_id_mp;
    SELECT FIRST 1 lk.OMS, lk.AGE_FROM, lk.AGE_TO FROM LST_KOIKI lk
      WHERE lk.TIP = :v_profile AND :DOUT_STAC BETWEEN lk.DATEBEG AND
            COALESCE(lk.DATEEND, TIMESTAMP '9999-12-31 00:00:00')
      INTO :v_oms, :v_age_from, :v_age_to;
    IF (v_found = 1 AND COALESCE(v_oms, 1) <> 0) THEN
      PROF_ERR = IIF(v_id_mp IS NOT NULL AND PR_FED IS NOT NULL AND v_id_mp <> PR_FED, 2, 0);
    IF (P_VOZRAST IS NOT NULL AND ((v_age_from IS NOT NULL AND P_VOZRAST < v_age_from) OR
                                   (v_age_to IS NOT NULL AND P_VOZRAST > v_age_to))) THEN
      OSH42 = '1';

    -- The representative of a child.
    PR_FAM = NULL; PR_IM = NULL; PR_OT = NULL; PR_SERIA = NULL; PR_NUMBER = NULL;
    PR_DSERIA = NULL; PR_DNUMBER = NULL; PR_DR = NULL; v_par_obl = NULL; v_has_parent = 0;
    SELECT FIRST 1 1, pr.FAMILY, pr.NAME, pr.FATHER, pr.SERIA, pr.NUMBER, pr.DOC_S, pr.DOC_N,
                   pr.DR, pr.OBL
      FROM PARENTS pr WHERE pr.ID_ILL = :ID_ILL ORDER BY pr.ID
      INTO :v_has_parent, :PR_FAM, :PR_IM, :PR_OT, :PR_SERIA, :PR_NUMBER, :PR_DSERIA,
           :PR_DNUMBER, :PR_DR, :v_par_obl;
    IF (v_has_parent = 0) THEN
    BEGIN
      IF (P_VOZRASTM IS NOT NULL AND P_VOZRASTM < 3) THEN OSH_PAR0 = 1;
    END
    ELSE
    BEGIN
      IF (TRIM(COALESCE(PR_FAM, '')) = '') THEN OSH_PAR1 = 1;
      IF (TRIM(COALESCE(PR_IM, '')) = '') THEN OSH_PAR2 = 1;
      IF (TRIM(COALESCE(PR_OT, '')) = '') THEN OSH_PAR3 = 1;
      IF (PR_DR IS NULL) THEN OSH_PAR4 = 1;
      IF (TRIM(COALESCE(PR_SERIA, '')) = '' AND TRIM(COALESCE(PR_NUMBER, '')) = '') THEN
        OSH_PAR5 = 1;
      IF (TRIM(COALESCE(v_par_obl, '')) = '') THEN OSH_PAR6 = 1;
      ELSE IF (v_obl IS NOT NULL AND TRIM(v_par_obl) <> CAST(v_obl AS VARCHAR(11))) THEN
        OSH_PAR7 = 1;
    END
    -- A patient treated with a representative carries the child status.
    IF (v_has_parent = 1 AND v_novor_missing = 1) THEN MTRERR4 = '1';

    -- Day hospitals do not admit, discharge or serve on a holiday the
    -- institution does not work.
    IF (v_tip_stac > 1) THEN
    BEGIN
      IF (EXISTS (SELECT 1 FROM HOLIDAY h WHERE CAST(h.HOLIDAY AS DATE) IN
                    (CAST(:DIN_STAC AS DATE), CAST(:DOUT_STAC AS DATE))
                  AND NOT EXISTS (SELECT 1 FROM HOLIDAY_EXCEPT x
                                  WHERE x.LPU_CODE = :v_lpu AND x.DAY_TYPE = 1
                                    AND CAST(x.EXCEPT_DAY AS DATE) = CAST(h.HOLIDAY AS DATE))))
      THEN
        OSH49 = '1';
      ELSE IF (EXISTS (SELECT 1 FROM MTLUSL u JOIN HOLIDAY h
                         ON CAST(h.HOLIDAY AS DATE) = CAST(u.DOKAZ AS DATE)
                       WHERE u.ID_ILL = :ID_ILL AND u.NOM_MTL = :NOMMTL
                         AND NOT EXISTS (SELECT 1 FROM HOLIDAY_EXCEPT x
                                         WHERE x.LPU_CODE = :v_lpu AND x.DAY_TYPE = 1
                                           AND CAST(x.EXCEPT_DAY AS DATE) =
                                               CAST(h.HOLIDAY AS DATE)))) THEN
        OSH49 = '2';
    END

    -- -1: the same person has another stay that meets this one, not refused,
    -- in an accepted report of the month or in one of these reports; the
    -- reception then looks for a payment or an overlap.
    SUM_MEK = v_s_sum_mek;
    IF (EXISTS (SELECT 1 FROM STACION s2 JOIN REPORTS r2 ON r2.REPN = s2.REPN
                WHERE s2.FAMILY = :FAMILY AND s2.NAME = :NAME AND s2.FATHER = :FATHER
                  AND s2.DR = :DR AND s2.ID_ILL <> :ID_ILL AND s2.SUM_MEK IS NULL
                  AND s2.IN_STAC <= :DOUT_STAC AND s2.OUT_STAC >= :DIN_STAC
                  AND (r2.REPN IN (:REPN1, :REPN2, :REPN3, :REPN4)
                       OR (r2.DATE_BEG = :v_date_beg AND r2.SEE1 = 1 AND r2.SEE2 = 1)))) THEN
      SUM_MEK = -1;

    -- The attachment code names no institution of the register.
    IF (TRIM(COALESCE(MCOD, '')) <> '' AND
        NOT EXISTS (SELECT 1 FROM LPU_MCOD lm WHERE TRIM(lm.MCOD) = TRIM(:MCOD))) THEN
      OSH45 = '1';

    -- A case marked as a war veteran's names a person of the register.
    IF (v_vov = 1 AND
        NOT EXISTS (SELECT 1 FROM VETERANS v
                    WHERE UPPER(TRIM(v.FAMILY)) = UPPER(TRIM(:FAMILY))
                      AND UPPER(TRIM(v.NAME)) = UPPER(TRIM(:NAME))
                      AND UPPER(TRIM(COALESCE(v.FATHER, ''))) =
                          UPPER(TRIM(COALESCE(:FATHER, '')))
                      AND CAST(v.DR AS DATE) = CAST(:DR AS DATE))) THEN
      OSH_VOV = '1';

    -- A case presented again: 1 when the institution did not present the
    -- stay in the month before, 2 when it did and nothing was sanctioned.
    IF (v_pr_nov = 1) THEN
    BEGIN
      v_prev_month = DATEADD(-1 MONTH TO v_date_beg);
      SELECT COUNT(*), SUM(IIF(s2.SUM_MEK IS NOT NULL OR
                               EXISTS (SELECT 1 FROM MEK_CASES mk WHERE mk.ID_ILL = s2.ID_ILL),
                               1, 0))
        FROM STACION s2 JOIN REPORTS r2 ON r2.REPN = s2.REPN
        WHERE r2.LPU = :v_lpu AND r2.DATE_BEG = :v_prev_month
          AND s2.FAMILY = :FAMILY AND s2.NAME = :NAME
          AND s2.FATHER IS NOT DISTINCT FROM :FATHER AND s2.DR = :DR
          AND CAST(s2.IN_STAC AS DATE) = CAST(:DIN_STAC AS DATE)
        INTO :v_prev_stays, :v_prev_sanctioned;
      IF (v_prev_stays = 0) THEN OSH_POVTOR = 1;
      ELSE IF (v_prev_sanctioned = 0) THEN OSH_POVTOR = 2;
    END

    -- A high-tech care sheet lacks a service its method must be given with.
    IF (OPLAT = 6 AND v_vmp_met IS NOT NULL AND
        EXISTS (SELECT 1 FROM VMP_MET_USL vu
                WHERE vu.VMP_MET = :v_vmp_met AND :DOUT_STAC BETWEEN vu.DATEBEG AND
                      COALESCE(vu.DATEEND, TIMESTAMP '9999-12-31 00:00:00')
                  AND NOT EXISTS (SELECT 1 FROM MTLUSL u
                                  WHERE u.ID_ILL = :ID_ILL AND u.NOM_MTL = :NOMMTL
                                    AND TRIM(u.USLUG) = TRIM(vu.USLUG)
                                    AND COALESCE(u.KOLVO, 0) > 0))) THEN
      CNT_USL_ERR = '1';

    -- The doctor's speciality is not one the bed profile is served by (a
    -- profile without listed specialities is not checked).
    IF (PRVS IS NOT NULL AND
        EXISTS (SELECT 1 FROM BED_SPEC bs
                WHERE bs.BED_ID = :v_profil_bed AND :v_date_beg BETWEEN bs.DATEBEG AND
                      COALESCE(bs.DATEEND, TIMESTAMP '9999-12-31 00:00:00')) AND
        NOT EXISTS (SELECT 1 FROM BED_SPEC bs
                    WHERE bs.BED_ID = :v_profil_bed AND bs.CODE_SPEC = :PRVS
                      AND :v_date_beg BETWEEN bs.DATEBEG AND
                          COALESCE(bs.DATEEND, TIMESTAMP '9999-12-31 00:00:00'))) THEN
      BED_SPEC_ERR = '1';

    -- The institution's plans of the year: the sheet's bed profile, and the
    -- level of care its standard's code gives (a code of no level is not
    -- checked). An institution without plans of a kind is not checked.
    v_god = EXTRACT(YEAR FROM v_date_beg);
    IF (EXISTS (SELECT 1 FROM PLAN_PROFIL pp WHERE pp.LPU_CODE = :v_lpu
                  AND pp.TIP_STAC = :v_tip_stac AND pp.GOD = :v_god) AND
        NOT EXISTS (SELECT 1 FROM PLAN_PROFIL pp WHERE pp.LPU_CODE = :v_lpu
                      AND pp.TIP_STAC = :v_tip_stac AND pp.GOD = :v_god
                      AND pp.PROFILE = :v_profile)) THEN
    BEGIN
      PLAN_ERR = NULL;
      SELECT FIRST 1 TRIM(p.NAME) FROM PROFIL p WHERE p.TIP_PROF = :v_profile INTO :PLAN_ERR;
      PLAN_ERR = COALESCE(NULLIF(PLAN_ERR, ''), COALESCE(v_profile, ''));
    END
    v_level = 0;
    IF (CHAR_LENGTH(KOD_MES) = 7 AND SUBSTRING(KOD_MES FROM 1 FOR 1) SIMILAR TO '[0-9]') THEN
      v_level = CAST(SUBSTRING(KOD_MES FROM 1 FOR 1) AS SMALLINT);
    ELSE IF (CHAR_LENGTH(KOD_MES) > 11 AND SUBSTRING(KOD_MES FROM 12 FOR 1) SIMILAR TO '[0-9]') THEN
      v_level = CAST(SUBSTRING(KOD_MES FROM 12 FOR 1) AS SMALLINT) + 2;
    IF (v_level > 0 AND
        EXISTS (SELECT 1 FROM PLAN_UR pu WHERE pu.LPU_CODE = :v_lpu
                  AND pu.TIP_STAC = :v_tip_stac AND pu.GOD = :v_god) AND
        NOT EXISTS (SELECT 1 FROM PLAN_UR pu WHERE pu.LPU_CODE = :v_lpu
                      AND pu.TIP_STAC = :v_tip_stac AND pu.GOD = :v_god
                      AND pu.UR = :v_level)) THEN
      PLAN_ERR2 = '1';

    -- The Rankin scale goes from 0 to 6 and is given for every stroke.
    IF ((v_rankin IS NOT NULL AND (v_rankin < 0 OR v_rankin > 6)) OR
        (v_rankin IS NULL AND
         LEFT(TRIM(COALESCE(STAC_DIAG, '')), 3) IN ('I60', 'I61', 'I62', 'I63', 'I64'))) THEN
      RANKIN_ERR = '1';

    -- Intensive therapy longer than its standard of care allows.
    v_it_kd = NULL;
    IF (TRIM(COALESCE(v_kod_mes_it, '')) SIMILAR TO '[0-9]{1,9}') THEN
      SELECT FIRST 1 it.KD FROM MES_IT it WHERE it.KOD = CAST(TRIM(:v_kod_mes_it) AS INTEGER)
        INTO :v_it_kd;
    IF (v_it_kd IS NOT NULL AND COALESCE(v_intensiv, 0) > v_it_kd) THEN OSH40 = '1';

    -- Identity document and policy.
    IF (TRIM(COALESCE(v_d_nomber, '')) = '') THEN OSH25 = '1';
    IF (H_VPOLIS IS NOT NULL AND H_VPOLIS NOT IN (1, 2, 3)) THEN OSH26 = '1';
    IF (TRIM(COALESCE(NUMBER, '')) = '') THEN MTRERR1 = '1';
    IF (TRIM(COALESCE(v_pol_obl, '')) = '') THEN MTRERR2 = '1';
    IF (DR IS NOT NULL AND DIN_STAC IS NOT NULL AND CAST(DR AS DATE) > CAST(DIN_STAC AS DATE)) THEN
      MTRERR3 = '1';
    IF (TRIM(COALESCE(v_d_nomber, '')) <> '' AND COALESCE(v_dokument, 0) = 0) THEN MTRERR5 = '1';
    IF (TRIM(COALESCE(v_d_seria, '')) <> '' AND TRIM(COALESCE(v_d_nomber, '')) = '') THEN
      MTRERR6 = '1';
    IF (COALESCE(PRVS, 0) = 0) THEN MTRERR7 = '1';
    -- The policy's period against the stay.
    IF (v_date_e IS NOT NULL AND DIN_STAC IS NOT NULL AND
        CAST(v_date_e AS DATE) < CAST(DIN_STAC AS DATE)) THEN
      MTRERR8 = '1';
    IF (v_date_n IS NOT NULL AND DOUT_STAC IS NOT NULL AND
        CAST(v_date_n AS DATE) > CAST(DOUT_STAC AS DATE)) THEN
      MTRERR9 = '1';
    IF (v_date_n IS NOT NULL AND v_date_e IS NOT NULL AND
        CAST(v_date_n AS DATE) > CAST(v_date_e AS DATE)) THEN
      MTRERR10 = '1';
    -- A single-number policy has 16 digits.
    IF (H_VPOLIS = 3 AND NOT (TRIM(COALESCE(NUMBER, '')) SIMILAR TO '[0-9]{16}')) THEN
      MTRERR11 = '1';

    -- The doctor who treated the sheet is named, by name or (in a package)
    -- by the doctor's code.
    IF (TRIM(COALESCE(v_vr_fio, '')) = '') THEN
      LEKAR_ERR = 'Не указан лечащий врач в МТЛ №' || COALESCE(NOMMTL, 0) || '.';

    -- The stages of an IVF cycle form one of the schemes paid for (stage 0
    -- is no stage of the cycle).
    v_eco = NULL;
    SELECT FIRST 1 REPLACE(e.ECO_STAGES_OUT, '0', '') FROM GET_ECO_INFO(:ID_ILL) e INTO :v_eco;
    IF (COALESCE(v_eco, '') <> '' AND
        v_eco NOT IN ('1', '12', '123', '6', '1234', '1235', '12345')) THEN
      ECO_ERR = '1';

    -- The referral: a referring institution's code (six digits) names one of
    -- the register, and the referral is not dated after the admission.
    IF (COALESCE(v_napravlen, 0) >= 100000 AND
        NOT EXISTS (SELECT 1 FROM LPU_MCOD lm
                    WHERE TRIM(lm.MCOD) = CAST(:v_napravlen AS VARCHAR(11)))) THEN
      ERR_NAPRAVLEN = '1';
    IF (v_napr_date IS NOT NULL AND DIN_STAC IS NOT NULL AND
        CAST(v_napr_date AS DATE) > CAST(DIN_STAC AS DATE)) THEN
      ERR_NAPR_DATE = '1';

    SUSPEND;
  END
END^

SET TERM ; ^
