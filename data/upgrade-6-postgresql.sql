-- Version 6 on PostgreSQL: the server enforces every account's rights.
--
-- Run by the schema's owner only (qe --create-database, qe --upgrade-database),
-- who needs CREATEROLE. Every QE account becomes a login role of its own with
-- a SCRAM verifier, so no password is kept in a table; the lab machines
-- connect as a lab role that owns nothing. Group roles carry the rights:
--   <p>_base     what everybody may do, before any login too: the names to log
--                in with, the group score query, the texts, registering
--   <p>_lab      the lab machines' login (member of base)
--   <p>_pupil    every ordinary user (member of base): their own rows only
--   <p>_teacher  every super user (member of base)
-- where <p> is the database's role prefix (lab_config). Row-level security
-- limits a pupil to their own rows; what crosses those limits (registering,
-- the lab's import, password resets, new super users, an exam's start and
-- end) goes through SECURITY DEFINER functions that check their caller.
-- The account roles and the passwords' conversion follow in the program
-- (SchemaUpgrade), in the same transaction.

SELECT set_config('search_path', quote_ident(current_schema()) || ', pg_temp', true);
SET LOCAL password_encryption = 'scram-sha-256';

CREATE TABLE lab_config (
    role_prefix text NOT NULL
);

-- The database's own name makes a readable prefix, unique in the cluster.
INSERT INTO lab_config (role_prefix)
SELECT CASE WHEN current_database() ~ '^[a-z_][a-z0-9_]{0,39}$' THEN current_database()
            ELSE 'qe' || substr(md5(random()::text), 1, 8) END;

CREATE FUNCTION qe_role(suffix text) RETURNS text
LANGUAGE sql STABLE SET search_path FROM CURRENT
AS $$ SELECT role_prefix || '_' || suffix FROM lab_config $$;

-- The account behind the session: its key, or NULL for any other role.
CREATE FUNCTION qe_account_key(kind text) RETURNS bigint
LANGUAGE sql STABLE SET search_path FROM CURRENT
AS $$
    SELECT CASE WHEN left(session_user::text, length(p) + 3) = p || '_' || kind || '_'
                 AND substr(session_user::text, length(p) + 4) ~ '^[0-9]{1,18}$'
                THEN substr(session_user::text, length(p) + 4)::bigint END
    FROM (SELECT role_prefix AS p FROM lab_config) c
$$;

CREATE FUNCTION qe_my_user_key() RETURNS bigint
LANGUAGE sql STABLE SET search_path FROM CURRENT
AS $$ SELECT qe_account_key('u') $$;

CREATE FUNCTION qe_my_super_key() RETURNS bigint
LANGUAGE sql STABLE SET search_path FROM CURRENT
AS $$ SELECT qe_account_key('s') $$;

DO $$
BEGIN
    EXECUTE format('CREATE ROLE %I NOLOGIN', qe_role('base'));
    EXECUTE format('CREATE ROLE %I NOLOGIN IN ROLE %I', qe_role('pupil'), qe_role('base'));
    EXECUTE format('CREATE ROLE %I NOLOGIN IN ROLE %I', qe_role('teacher'), qe_role('base'));
    -- The program gives it a password and the right to log in.
    EXECUTE format('CREATE ROLE %I NOLOGIN IN ROLE %I', qe_role('lab'), qe_role('base'));
    EXECUTE format('GRANT CONNECT ON DATABASE %I TO %I', current_database(), qe_role('base'));
    EXECUTE format('GRANT USAGE ON SCHEMA %I TO %I', current_schema(), qe_role('base'));
END
$$;

-- Exams: the screen a result is scored against, and the figures of v6.
ALTER TABLE exam ADD COLUMN screen_cells text;
ALTER TABLE exam ADD COLUMN screen_texts text;
ALTER TABLE exam_sitting DROP COLUMN seal_key;
ALTER TABLE exam_sitting ADD COLUMN late integer NOT NULL DEFAULT 0;
ALTER TABLE exam_sitting ADD COLUMN speed_ms bigint;
ALTER TABLE exam_sitting ADD COLUMN key_median_ms integer;
ALTER TABLE exam_sitting ADD COLUMN key_spread_ms integer;
ALTER TABLE exam_sitting ADD COLUMN flagged integer NOT NULL DEFAULT 0;
UPDATE exam_sitting SET finished = 2
WHERE finished = 0 AND id NOT IN (
    SELECT max(id) FROM exam_sitting WHERE finished = 0 GROUP BY exam_id, user_key);
CREATE UNIQUE INDEX exam_sitting_one_running ON exam_sitting (exam_id, user_key)
    WHERE finished = 0;
CREATE INDEX exam_sitting_by_uid_user ON exam_sitting (user_key);

CREATE TABLE exam_refusal (
    id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
    uid text NOT NULL,
    exam_id bigint,
    user_key bigint NOT NULL,
    reason text NOT NULL,
    refused_at timestamp(3) NOT NULL DEFAULT LOCALTIMESTAMP(3)
);
CREATE INDEX exam_refusal_by_exam ON exam_refusal (exam_id, user_key);

ALTER TABLE attempt ADD COLUMN key_median_ms integer;
ALTER TABLE attempt ADD COLUMN key_spread_ms integer;

-- Rights on the tables.
DO $$
DECLARE
    base text := quote_ident(qe_role('base'));
    pupil text := quote_ident(qe_role('pupil'));
    teacher text := quote_ident(qe_role('teacher'));
BEGIN
    EXECUTE 'GRANT SELECT ON schema_version, lab_config, "user", supperuser, score, '
            'practice_text TO ' || base;
    EXECUTE 'GRANT SELECT ON exam, exam_class TO ' || pupil || ', ' || teacher;
    -- A pupil's own account, scores and attempts.
    EXECUTE 'GRANT UPDATE (name, class, student_no) ON "user" TO ' || pupil || ', ' || teacher;
    EXECUTE 'GRANT INSERT, DELETE ON score TO ' || pupil;
    EXECUTE 'GRANT SELECT, INSERT ON attempt, attempt_mistake, attempt_text TO ' || pupil;
    EXECUTE 'GRANT SELECT ON exam_sitting TO ' || pupil;
    -- The teacher's tools.
    EXECUTE 'GRANT DELETE ON "user" TO ' || teacher;
    EXECUTE 'GRANT UPDATE (name, student_no), DELETE ON score TO ' || teacher;
    EXECUTE 'GRANT SELECT ON attempt, attempt_mistake, attempt_text TO ' || teacher;
    EXECUTE 'GRANT SELECT, DELETE ON loginhistory TO ' || teacher;
    EXECUTE 'GRANT SELECT, INSERT, UPDATE, DELETE ON practice_text, exam, exam_class TO '
            || teacher;
    EXECUTE 'GRANT SELECT, UPDATE, DELETE ON exam_sitting TO ' || teacher;
    EXECUTE 'GRANT SELECT, DELETE ON exam_refusal TO ' || teacher;
    EXECUTE 'GRANT EXECUTE ON FUNCTION qe_role(text), qe_account_key(text), qe_my_user_key(), '
            'qe_my_super_key() TO ' || base;
END
$$;
REVOKE ALL ON FUNCTION qe_role(text), qe_account_key(text), qe_my_user_key(), qe_my_super_key()
    FROM PUBLIC;

-- Nothing secret is kept in a table: the credentials are the roles'.
ALTER TABLE "user" ADD CONSTRAINT user_keeps_no_password CHECK (password IS NULL) NOT VALID;
ALTER TABLE supperuser ADD CONSTRAINT supperuser_keeps_no_password CHECK (password IS NULL)
    NOT VALID;

-- Row-level security: the owner (the setup commands and the functions
-- below) is not bound by it.
ALTER TABLE "user" ENABLE ROW LEVEL SECURITY;
ALTER TABLE supperuser ENABLE ROW LEVEL SECURITY;
ALTER TABLE score ENABLE ROW LEVEL SECURITY;
ALTER TABLE loginhistory ENABLE ROW LEVEL SECURITY;
ALTER TABLE attempt ENABLE ROW LEVEL SECURITY;
ALTER TABLE attempt_mistake ENABLE ROW LEVEL SECURITY;
ALTER TABLE attempt_text ENABLE ROW LEVEL SECURITY;
ALTER TABLE practice_text ENABLE ROW LEVEL SECURITY;
ALTER TABLE exam ENABLE ROW LEVEL SECURITY;
ALTER TABLE exam_class ENABLE ROW LEVEL SECURITY;
ALTER TABLE exam_sitting ENABLE ROW LEVEL SECURITY;
ALTER TABLE exam_refusal ENABLE ROW LEVEL SECURITY;

-- Whether a score row carries the session's pupil's name and number, as the
-- program compares them (an empty field and a missing one are the same).
CREATE FUNCTION qe_owns_score(p_name text, p_student_no text) RETURNS boolean
LANGUAGE sql STABLE SET search_path FROM CURRENT
AS $$
    SELECT EXISTS (SELECT 1 FROM "user" u WHERE u.qe_key = qe_my_user_key()
                   AND coalesce(u.name, '') = coalesce(p_name, '')
                   AND coalesce(u.student_no, '') = coalesce(p_student_no, ''))
$$;
REVOKE ALL ON FUNCTION qe_owns_score(text, text) FROM PUBLIC;

CREATE FUNCTION qe_owns_attempt(p_attempt bigint) RETURNS boolean
LANGUAGE sql STABLE SET search_path FROM CURRENT
AS $$ SELECT EXISTS (SELECT 1 FROM attempt a WHERE a.id = p_attempt AND a.user_key = qe_my_user_key()) $$;
REVOKE ALL ON FUNCTION qe_owns_attempt(bigint) FROM PUBLIC;

DO $$
DECLARE
    base text := quote_ident(qe_role('base'));
    pupil text := quote_ident(qe_role('pupil'));
    teacher text := quote_ident(qe_role('teacher'));
BEGIN
    EXECUTE 'GRANT EXECUTE ON FUNCTION qe_owns_score(text, text), qe_owns_attempt(bigint) TO '
            || base;
    EXECUTE 'CREATE POLICY everybody_reads ON "user" FOR SELECT TO ' || base || ' USING (true)';
    EXECUTE 'CREATE POLICY pupil_edits_own ON "user" FOR UPDATE TO ' || pupil
            || ' USING (qe_key = (SELECT qe_my_user_key()))'
            || ' WITH CHECK (qe_key = (SELECT qe_my_user_key()))';
    EXECUTE 'CREATE POLICY teacher_edits ON "user" FOR UPDATE TO ' || teacher
            || ' USING (true) WITH CHECK (true)';
    EXECUTE 'CREATE POLICY teacher_deletes ON "user" FOR DELETE TO ' || teacher || ' USING (true)';

    EXECUTE 'CREATE POLICY everybody_reads ON supperuser FOR SELECT TO ' || base || ' USING (true)';

    EXECUTE 'CREATE POLICY everybody_reads ON score FOR SELECT TO ' || base || ' USING (true)';
    EXECUTE 'CREATE POLICY pupil_stores_own ON score FOR INSERT TO ' || pupil
            || ' WITH CHECK (qe_owns_score(name, student_no))';
    EXECUTE 'CREATE POLICY pupil_clears_own ON score FOR DELETE TO ' || pupil
            || ' USING (qe_owns_score(name, student_no))';
    EXECUTE 'CREATE POLICY teacher_edits ON score FOR UPDATE TO ' || teacher
            || ' USING (true) WITH CHECK (true)';
    EXECUTE 'CREATE POLICY teacher_clears ON score FOR DELETE TO ' || teacher || ' USING (true)';

    EXECUTE 'CREATE POLICY teacher_reads ON loginhistory FOR SELECT TO ' || teacher || ' USING (true)';
    EXECUTE 'CREATE POLICY teacher_clears ON loginhistory FOR DELETE TO ' || teacher || ' USING (true)';

    EXECUTE 'CREATE POLICY pupil_reads_own ON attempt FOR SELECT TO ' || pupil
            || ' USING (user_key = (SELECT qe_my_user_key()))';
    EXECUTE 'CREATE POLICY pupil_stores_own ON attempt FOR INSERT TO ' || pupil
            || ' WITH CHECK (user_key = (SELECT qe_my_user_key()) AND EXISTS ('
            || 'SELECT 1 FROM score s WHERE s.qe_key = score_key'
            || ' AND qe_owns_score(s.name, s.student_no)))';
    EXECUTE 'CREATE POLICY teacher_reads ON attempt FOR SELECT TO ' || teacher || ' USING (true)';
    EXECUTE 'CREATE POLICY pupil_reads_own ON attempt_mistake FOR SELECT TO ' || pupil
            || ' USING (user_key = (SELECT qe_my_user_key()))';
    EXECUTE 'CREATE POLICY pupil_stores_own ON attempt_mistake FOR INSERT TO ' || pupil
            || ' WITH CHECK (user_key = (SELECT qe_my_user_key()) AND qe_owns_attempt(attempt_id))';
    EXECUTE 'CREATE POLICY teacher_reads ON attempt_mistake FOR SELECT TO ' || teacher
            || ' USING (true)';
    EXECUTE 'CREATE POLICY pupil_reads_own ON attempt_text FOR SELECT TO ' || pupil
            || ' USING (qe_owns_attempt(attempt_id))';
    EXECUTE 'CREATE POLICY pupil_stores_own ON attempt_text FOR INSERT TO ' || pupil
            || ' WITH CHECK (qe_owns_attempt(attempt_id))';
    EXECUTE 'CREATE POLICY teacher_reads ON attempt_text FOR SELECT TO ' || teacher || ' USING (true)';

    EXECUTE 'CREATE POLICY everybody_reads ON practice_text FOR SELECT TO ' || base || ' USING (true)';
    EXECUTE 'CREATE POLICY teacher_keeps ON practice_text FOR ALL TO ' || teacher
            || ' USING (true) WITH CHECK (true)';
    EXECUTE 'CREATE POLICY pupil_reads ON exam FOR SELECT TO ' || pupil || ' USING (true)';
    EXECUTE 'CREATE POLICY teacher_keeps ON exam FOR ALL TO ' || teacher
            || ' USING (true) WITH CHECK (true)';
    EXECUTE 'CREATE POLICY pupil_reads ON exam_class FOR SELECT TO ' || pupil || ' USING (true)';
    EXECUTE 'CREATE POLICY teacher_keeps ON exam_class FOR ALL TO ' || teacher
            || ' USING (true) WITH CHECK (true)';
    EXECUTE 'CREATE POLICY pupil_reads_own ON exam_sitting FOR SELECT TO ' || pupil
            || ' USING (user_key = (SELECT qe_my_user_key()))';
    EXECUTE 'CREATE POLICY teacher_keeps ON exam_sitting FOR ALL TO ' || teacher
            || ' USING (true) WITH CHECK (true)';
    EXECUTE 'CREATE POLICY teacher_reads ON exam_refusal FOR ALL TO ' || teacher
            || ' USING (true) WITH CHECK (true)';
END
$$;

-- Texts of accounts: what the dialogs refuse is refused here too, so that a
-- call made by hand cannot store it.
CREATE FUNCTION qe_check_account_text(p_text text, p_what text, p_required boolean)
RETURNS void
LANGUAGE plpgsql IMMUTABLE SET search_path FROM CURRENT
AS $$
BEGIN
    IF p_required AND coalesce(p_text, '') = '' THEN
        RAISE EXCEPTION '%不能为空', p_what USING ERRCODE = 'QE001';
    END IF;
    IF octet_length(coalesce(p_text, '')) > 199 THEN
        RAISE EXCEPTION '%太长', p_what USING ERRCODE = 'QE001';
    END IF;
    IF p_text ~ '[[:cntrl:]]' THEN
        RAISE EXCEPTION '%含有控制字符', p_what USING ERRCODE = 'QE001';
    END IF;
END
$$;

CREATE FUNCTION qe_check_verifier(p_verifier text) RETURNS void
LANGUAGE plpgsql IMMUTABLE SET search_path FROM CURRENT
AS $$
BEGIN
    IF p_verifier IS NULL OR p_verifier !~ '^SCRAM-SHA-256\$[0-9]+:[A-Za-z0-9+/=]+\$[A-Za-z0-9+/=]+:[A-Za-z0-9+/=]+$' THEN
        RAISE EXCEPTION 'a password must come as a SCRAM-SHA-256 verifier' USING ERRCODE = 'QE001';
    END IF;
END
$$;
