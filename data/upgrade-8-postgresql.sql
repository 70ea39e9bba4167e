-- Version 8 on PostgreSQL: the physical key presses of a practice
-- (Backspace among them), counted before an input method takes them, for
-- 击键 and 码长. NULL where the platform did not show them.

ALTER TABLE attempt ADD COLUMN key_presses integer;
ALTER TABLE attempt ADD COLUMN backspace_presses integer;
ALTER TABLE lesson_attempt ADD COLUMN key_presses integer;
ALTER TABLE lesson_attempt ADD COLUMN backspace_presses integer;

SELECT set_config('search_path', quote_ident(current_schema()) || ', pg_temp', true);

-- An exam's attempt is written by qe_finish_sitting; its key presses are
-- added once, by the pupil who sat it, right after. They change no figure
-- the exam is scored on.
CREATE FUNCTION qe_sitting_key_presses(p_uid text, p_presses integer, p_backspaces integer)
RETURNS void
LANGUAGE plpgsql SECURITY DEFINER SET search_path FROM CURRENT
AS $$
DECLARE
    v_me bigint := qe_my_user_key();
BEGIN
    IF v_me IS NULL THEN
        RAISE EXCEPTION 'permission denied: only a pupil' USING ERRCODE = '42501';
    END IF;
    UPDATE attempt SET key_presses = greatest(p_presses, 0),
                       backspace_presses = least(greatest(p_backspaces, 0), greatest(p_presses, 0))
    WHERE key_presses IS NULL AND user_key = v_me
      AND id = (SELECT attempt_id FROM exam_sitting
                WHERE uid = p_uid AND user_key = v_me AND finished = 1);
END
$$;
REVOKE ALL ON FUNCTION qe_sitting_key_presses(text, integer, integer) FROM PUBLIC;

DO $$
BEGIN
    EXECUTE 'GRANT EXECUTE ON FUNCTION qe_sitting_key_presses(text, integer, integer) TO '
            || quote_ident(qe_role('pupil'));
END
$$;
