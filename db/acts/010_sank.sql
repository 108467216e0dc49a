-- The sanctions the reception stores: one row per sanction of a case, as the
-- program hands them to sp_set_sank.
CREATE TABLE sank (
  id          serial PRIMARY KEY,
  usl_ok      integer,
  id_report   integer,
  date_report timestamp,
  idcase      integer,
  mcod        integer,
  smo         integer,
  s_sum       numeric(15, 2),
  sumv        numeric(15, 2),
  s_penalty   numeric(15, 2),
  s_tip       integer,
  s_osn       smallint,
  s_com       varchar(250),
  s_ist       numeric(1),
  id_akt      integer,
  param_group integer,
  stored_at   timestamp NOT NULL DEFAULT now()
);

-- Called through the ODBC escape "{call sp_set_sank(?, ...)}" with the
-- parameters in this order; a function returning void, since the driver
-- turns the escape into a SELECT. The parameters are taken as text where the
-- driver may bind a number as text, and converted here.
CREATE FUNCTION sp_set_sank(
  p_usl_ok integer, p_id_report integer, p_date_report timestamp, p_idcase integer,
  p_mcod integer, p_smo integer, p_s_sum numeric, p_sumv numeric, p_s_penalty numeric,
  p_s_tip integer, p_s_osn integer, p_s_com varchar, p_s_ist integer, p_id_akt integer,
  p_param_group integer)
RETURNS void
LANGUAGE plpgsql
AS $$
BEGIN
  INSERT INTO sank (usl_ok, id_report, date_report, idcase, mcod, smo, s_sum, sumv, s_penalty,
                    s_tip, s_osn, s_com, s_ist, id_akt, param_group)
  VALUES (p_usl_ok, p_id_report, p_date_report, p_idcase, p_mcod, p_smo, round(p_s_sum, 2),
          round(p_sumv, 2), round(p_s_penalty, 2), p_s_tip, p_s_osn, left(p_s_com, 250), p_s_ist,
          p_id_akt, p_param_group);
END;
$$;
