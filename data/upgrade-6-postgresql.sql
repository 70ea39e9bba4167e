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

-- One account role; the key names it.
CREATE FUNCTION qe_create_account_role(p_kind text, p_key bigint, p_verifier text) RETURNS void
LANGUAGE plpgsql SET search_path FROM CURRENT
AS $$
BEGIN
    PERFORM qe_check_verifier(p_verifier);
    EXECUTE format('CREATE ROLE %I LOGIN PASSWORD %L IN ROLE %I',
                   qe_role(p_kind || '_' || p_key), p_verifier,
                   qe_role(CASE p_kind WHEN 'u' THEN 'pupil' ELSE 'teacher' END));
END
$$;
REVOKE ALL ON FUNCTION qe_check_account_text(text, text, boolean), qe_check_verifier(text),
    qe_create_account_role(text, bigint, text) FROM PUBLIC;

-- Accounts are added one program at a time, so that a name is checked and
-- taken in one step.
CREATE FUNCTION qe_lock_accounts() RETURNS void
LANGUAGE sql SET search_path FROM CURRENT
AS $$ SELECT pg_advisory_xact_lock(hashtext('qe accounts ' || current_database())) $$;
REVOKE ALL ON FUNCTION qe_lock_accounts() FROM PUBLIC;

-- Registration (新建用户): anybody may make an ordinary account, as the login
-- dialog lets them; it is logged in the history. As the dialog stores the
-- account before its history row, an account whose history row cannot be
-- written stays, and the failure is returned for the program to show.
CREATE FUNCTION qe_register(p_name text, p_class text, p_student_no text, p_verifier text)
RETURNS TABLE (user_key bigint, history_error text)
LANGUAGE plpgsql SECURITY DEFINER SET search_path FROM CURRENT
AS $$
#variable_conflict use_column
DECLARE
    v_key bigint;
BEGIN
    PERFORM qe_check_account_text(p_name, '用户姓名', false);
    PERFORM qe_check_account_text(p_class, '用户班级', false);
    PERFORM qe_check_account_text(p_student_no, '学号', false);
    PERFORM qe_lock_accounts();
    IF EXISTS (SELECT 1 FROM "user" WHERE name = p_name) THEN
        RAISE EXCEPTION '您输入的用户名已经有人使用,请更改!' USING ERRCODE = 'QE002';
    END IF;
    INSERT INTO "user" (name, class, student_no, password, kind)
    VALUES (p_name, p_class, p_student_no, NULL, '普通用户') RETURNING qe_key INTO v_key;
    PERFORM qe_create_account_role('u', v_key, p_verifier);
    BEGIN
        INSERT INTO loginhistory (name, class, student_no, kind, event)
        VALUES (p_name, p_class, p_student_no, '普通用户', '创建用户');
    EXCEPTION WHEN OTHERS THEN
        RETURN QUERY SELECT v_key, SQLERRM;
        RETURN;
    END;
    RETURN QUERY SELECT v_key, ''::text;
END
$$;

-- A login of the session's own account, in the history.
CREATE FUNCTION qe_log_login() RETURNS void
LANGUAGE plpgsql SECURITY DEFINER SET search_path FROM CURRENT
AS $$
DECLARE
    v_user "user"%ROWTYPE;
    v_super supperuser%ROWTYPE;
BEGIN
    SELECT * INTO v_user FROM "user" WHERE qe_key = qe_my_user_key();
    IF FOUND THEN
        INSERT INTO loginhistory (name, class, student_no, kind, event)
        VALUES (v_user.name, v_user.class, v_user.student_no, v_user.kind, '用户登录');
        RETURN;
    END IF;
    SELECT * INTO v_super FROM supperuser WHERE qe_key = qe_my_super_key();
    IF FOUND THEN
        INSERT INTO loginhistory (name, kind, event) VALUES (v_super.name, '超级用户', '用户登录');
        RETURN;
    END IF;
    RAISE EXCEPTION 'only an account logs its login' USING ERRCODE = '42501';
END
$$;

-- Only a super user's session, or the administrator's own (the schema's
-- owner, as in qe --import-class-list), may use the teacher's functions.
CREATE FUNCTION qe_require_teacher() RETURNS void
LANGUAGE plpgsql STABLE SET search_path FROM CURRENT
AS $$
BEGIN
    IF EXISTS (SELECT 1 FROM pg_roles r WHERE r.rolname = session_user
               AND (r.rolsuper OR r.oid = (SELECT relowner FROM pg_class
                                           WHERE oid = '"user"'::regclass))) THEN
        RETURN;
    END IF;
    IF qe_my_super_key() IS NULL
       OR NOT EXISTS (SELECT 1 FROM supperuser WHERE qe_key = qe_my_super_key()) THEN
        RAISE EXCEPTION 'permission denied: only a super user may do this' USING ERRCODE = '42501';
    END IF;
END
$$;
REVOKE ALL ON FUNCTION qe_require_teacher() FROM PUBLIC;

CREATE FUNCTION qe_add_super_user(p_name text, p_verifier text) RETURNS bigint
LANGUAGE plpgsql SECURITY DEFINER SET search_path FROM CURRENT
AS $$
DECLARE
    v_key bigint;
BEGIN
    PERFORM qe_require_teacher();
    PERFORM qe_check_account_text(p_name, '用户名', false);
    PERFORM qe_lock_accounts();
    IF EXISTS (SELECT 1 FROM supperuser WHERE name = p_name) THEN
        RAISE EXCEPTION '对不起,你输入的用户名已经存在!请重新输入!' USING ERRCODE = 'QE002';
    END IF;
    INSERT INTO supperuser (name, password) VALUES (p_name, NULL) RETURNING qe_key INTO v_key;
    PERFORM qe_create_account_role('s', v_key, p_verifier);
    RETURN v_key;
END
$$;

-- The teacher's import of a class list (and the one pupil of 学生名单): all
-- or nothing; a name another program took meanwhile stops it whole.
CREATE FUNCTION qe_add_pupils(p_names text[], p_classes text[], p_student_nos text[],
                              p_verifiers text[])
RETURNS SETOF bigint
LANGUAGE plpgsql SECURITY DEFINER SET search_path FROM CURRENT
AS $$
DECLARE
    v_key bigint;
    v_taken text;
BEGIN
    PERFORM qe_require_teacher();
    IF cardinality(p_names) <> cardinality(p_classes)
       OR cardinality(p_names) <> cardinality(p_student_nos)
       OR cardinality(p_names) <> cardinality(p_verifiers) THEN
        RAISE EXCEPTION 'the lists of an import differ in length' USING ERRCODE = 'QE001';
    END IF;
    PERFORM qe_lock_accounts();
    SELECT n INTO v_taken FROM unnest(p_names) n
    WHERE EXISTS (SELECT 1 FROM "user" u WHERE u.name = n) LIMIT 1;
    IF FOUND THEN
        RAISE EXCEPTION '用户名“%”刚被别人用了,没有导入任何学生。请重新导入,预览会指出这一行。',
            v_taken USING ERRCODE = 'QE002';
    END IF;
    SELECT n INTO v_taken FROM unnest(p_names) n GROUP BY n HAVING count(*) > 1 LIMIT 1;
    IF FOUND THEN
        RAISE EXCEPTION '名单中用户名“%”出现了两次,没有导入任何学生。', v_taken
            USING ERRCODE = 'QE002';
    END IF;
    FOR i IN 1 .. coalesce(cardinality(p_names), 0) LOOP
        PERFORM qe_check_account_text(p_names[i], '用户姓名', true);
        PERFORM qe_check_account_text(p_classes[i], '用户班级', false);
        PERFORM qe_check_account_text(p_student_nos[i], '学号', false);
        INSERT INTO "user" (name, class, student_no, password, kind)
        VALUES (p_names[i], p_classes[i], p_student_nos[i], NULL, '普通用户')
        RETURNING qe_key INTO v_key;
        PERFORM qe_create_account_role('u', v_key, p_verifiers[i]);
        RETURN NEXT v_key;
    END LOOP;
END
$$;

CREATE FUNCTION qe_set_pupil_password(p_key bigint, p_verifier text) RETURNS void
LANGUAGE plpgsql SECURITY DEFINER SET search_path FROM CURRENT
AS $$
BEGIN
    PERFORM qe_require_teacher();
    PERFORM qe_check_verifier(p_verifier);
    IF NOT EXISTS (SELECT 1 FROM "user" WHERE qe_key = p_key) THEN
        RAISE EXCEPTION '对不起,无法执行指定操作!' USING ERRCODE = 'QE003';
    END IF;
    EXECUTE format('ALTER ROLE %I PASSWORD %L', qe_role('u_' || p_key), p_verifier);
END
$$;

-- An account that is deleted takes its role with it.
CREATE FUNCTION qe_drop_account_role() RETURNS trigger
LANGUAGE plpgsql SECURITY DEFINER SET search_path FROM CURRENT
AS $$
DECLARE
    v_role text := qe_role(CASE TG_TABLE_NAME WHEN 'user' THEN 'u_' ELSE 's_' END || OLD.qe_key);
BEGIN
    IF EXISTS (SELECT 1 FROM pg_roles WHERE rolname = v_role) THEN
        EXECUTE format('DROP ROLE %I', v_role);
    END IF;
    RETURN OLD;
END
$$;
REVOKE ALL ON FUNCTION qe_drop_account_role() FROM PUBLIC;
CREATE TRIGGER user_drops_role AFTER DELETE ON "user"
    FOR EACH ROW EXECUTE FUNCTION qe_drop_account_role();
CREATE TRIGGER supperuser_drops_role AFTER DELETE ON supperuser
    FOR EACH ROW EXECUTE FUNCTION qe_drop_account_role();

-- An exam's start, on the server's clock: the exam must be open and set for
-- the pupil's class; a pupil has one running sitting at a time, and a
-- sitting left running past its time (a program that was killed) counts as
-- sat. Returns the start.
CREATE FUNCTION qe_start_sitting(p_exam bigint, p_uid text) RETURNS timestamp(3)
LANGUAGE plpgsql SECURITY DEFINER SET search_path FROM CURRENT
AS $$
DECLARE
    v_me bigint := qe_my_user_key();
    v_class text;
    v_exam exam%ROWTYPE;
    v_now timestamp(3) := LOCALTIMESTAMP(3);
BEGIN
    SELECT class INTO v_class FROM "user" WHERE qe_key = v_me;
    IF NOT FOUND THEN
        RAISE EXCEPTION 'permission denied: only a pupil sits an exam' USING ERRCODE = '42501';
    END IF;
    SELECT * INTO v_exam FROM exam WHERE id = p_exam FOR SHARE;
    IF NOT FOUND OR v_exam.is_open = 0 THEN
        RAISE EXCEPTION '考试已经关闭。' USING ERRCODE = 'QE101';
    END IF;
    IF NOT EXISTS (SELECT 1 FROM exam_class WHERE exam_id = p_exam
                   AND class_name = coalesce(v_class, '')) THEN
        RAISE EXCEPTION '这场考试不是给你的班级的。' USING ERRCODE = 'QE102';
    END IF;
    -- Serialises the starts of one pupil's copies of the program.
    PERFORM pg_advisory_xact_lock(hashtext('qe sitting ' || v_me));
    UPDATE exam_sitting SET finished = 2
    WHERE exam_id = p_exam AND user_key = v_me AND finished = 0
      AND started_at + make_interval(mins => v_exam.minutes, secs => 30) < v_now;
    IF EXISTS (SELECT 1 FROM exam_sitting WHERE exam_id = p_exam AND user_key = v_me
               AND finished = 0) THEN
        RAISE EXCEPTION '你正在另一台电脑(或另一个窗口)上参加这场考试,不能同时考两次。'
            USING ERRCODE = 'QE104';
    END IF;
    IF v_exam.retake_allowed = 0
       AND EXISTS (SELECT 1 FROM exam_sitting WHERE exam_id = p_exam AND user_key = v_me) THEN
        RAISE EXCEPTION '你已经参加过这场考试,这场考试不允许重考。' USING ERRCODE = 'QE103';
    END IF;
    INSERT INTO exam_sitting (uid, exam_id, user_key, started_at, finished, focus_losses)
    VALUES (p_uid, p_exam, v_me, v_now, 0, 0);
    RETURN v_now;
END
$$;

CREATE FUNCTION qe_refuse_sitting(p_uid text, p_exam bigint, p_user bigint, p_reason text)
RETURNS void
LANGUAGE sql SET search_path FROM CURRENT
AS $$ INSERT INTO exam_refusal (uid, exam_id, user_key, reason) VALUES (p_uid, p_exam, p_user, p_reason) $$;
REVOKE ALL ON FUNCTION qe_refuse_sitting(text, bigint, bigint, text) FROM PUBLIC;

-- A GBK cell (hex) as text, '?' where it is no GBK.
CREATE FUNCTION qe_cell_text(p_hex text) RETURNS text
LANGUAGE plpgsql IMMUTABLE SET search_path FROM CURRENT
AS $$
BEGIN
    RETURN convert_from(decode(p_hex, 'hex'), 'GBK');
EXCEPTION WHEN OTHERS THEN
    RETURN '?';
END
$$;
REVOKE ALL ON FUNCTION qe_cell_text(text) FROM PUBLIC;

-- An exam's result, scored here from what was typed against the exam's
-- screen and timed on the server's clock. p_typed holds the typed cells in
-- reading order up to the typing position (GBK bytes in hex; '' for a cell
-- that was passed over), p_typed_texts the same cells as text. The score row
-- is the described one (speed in whole units per second); the attempt's time
-- is what its speed is measured over: the time allowed, unless the whole
-- screen was typed before it. A result that comes after the time allowed
-- (kept on the pupil's machine while the server was away) is marked late
-- (补交). Outcomes: 'stored', 'stored-before', or 'refused' with the reason,
-- which is kept for the teacher.
CREATE FUNCTION qe_finish_sitting(p_uid text, p_typed text[], p_typed_texts text[],
                                  p_backspaces integer, p_end_reason integer,
                                  p_focus_losses integer, p_key_median_ms integer,
                                  p_key_spread_ms integer)
RETURNS TABLE (outcome text, reason text, typed_units integer, correct_units integer,
               used_ms bigint, speed_ms bigint, late integer, flagged integer)
LANGUAGE plpgsql SECURITY DEFINER SET search_path FROM CURRENT
AS $$
#variable_conflict use_column
DECLARE
    v_me bigint := qe_my_user_key();
    v_now timestamp(3) := LOCALTIMESTAMP(3);
    v_sitting exam_sitting%ROWTYPE;
    v_exam exam%ROWTYPE;
    v_kind integer;
    v_user "user"%ROWTYPE;
    v_expected text[];
    v_texts jsonb;
    v_cells integer;
    v_typed integer := 0;
    v_correct integer := 0;
    v_limit_ms bigint;
    v_server_ms bigint;
    v_used_ms bigint;
    v_speed_ms bigint;
    v_late integer;
    v_flagged integer := 0;
    v_seconds integer;
    v_accuracy integer;
    v_score bigint;
    v_attempt bigint;
    v_label text;
    v_per_minute double precision;
BEGIN
    IF v_me IS NULL THEN
        RAISE EXCEPTION 'permission denied: only a pupil stores an exam result' USING ERRCODE = '42501';
    END IF;
    SELECT * INTO v_sitting FROM exam_sitting WHERE uid = p_uid FOR UPDATE;
    IF NOT FOUND THEN
        PERFORM qe_refuse_sitting(p_uid, NULL, v_me, '数据库中没有这次考试的开始记录');
        RETURN QUERY SELECT 'refused', '数据库中没有这次考试的开始记录', 0, 0, 0::bigint,
                            0::bigint, 0, 0;
        RETURN;
    END IF;
    IF v_sitting.user_key <> v_me THEN
        RAISE EXCEPTION 'permission denied: the sitting is another pupil''s' USING ERRCODE = '42501';
    END IF;
    IF v_sitting.finished = 1 THEN
        RETURN QUERY SELECT 'stored-before', ''::text, v_sitting.typed_units,
                            v_sitting.correct_units, v_sitting.elapsed_ms, v_sitting.speed_ms,
                            v_sitting.late, v_sitting.flagged;
        RETURN;
    END IF;
    SELECT * INTO v_exam FROM exam WHERE id = v_sitting.exam_id;
    IF NOT FOUND OR v_exam.screen_cells IS NULL THEN
        PERFORM qe_refuse_sitting(p_uid, v_sitting.exam_id, v_me, '考试已被删除');
        RETURN QUERY SELECT 'refused', '考试已被删除', 0, 0, 0::bigint, 0::bigint, 0, 0;
        RETURN;
    END IF;
    v_expected := string_to_array(v_exam.screen_cells, ',');
    v_texts := v_exam.screen_texts::jsonb;
    v_cells := cardinality(v_expected);
    IF cardinality(p_typed) > v_cells OR cardinality(p_typed) <> cardinality(p_typed_texts) THEN
        PERFORM qe_refuse_sitting(p_uid, v_sitting.exam_id, v_me, '成绩中打入的字比考试的屏幕还多');
        RETURN QUERY SELECT 'refused', '成绩中打入的字比考试的屏幕还多', 0, 0, 0::bigint,
                            0::bigint, 0, 0;
        RETURN;
    END IF;
    SELECT kind INTO v_kind FROM practice_text WHERE id = v_exam.text_id;
    SELECT * INTO v_user FROM "user" WHERE qe_key = v_me;

    FOR i IN 1 .. coalesce(cardinality(p_typed), 0) LOOP
        CONTINUE WHEN coalesce(p_typed[i], '') = '';
        v_typed := v_typed + 1;
        IF p_typed[i] = v_expected[i] THEN
            v_correct := v_correct + 1;
        END IF;
    END LOOP;

    v_limit_ms := v_exam.minutes * 60000;
    v_server_ms := floor(extract(epoch FROM (v_now - v_sitting.started_at)) * 1000);
    v_late := CASE WHEN v_server_ms > v_limit_ms + 30000 THEN 1 ELSE 0 END;
    v_used_ms := least(greatest(v_server_ms, 0), v_limit_ms);
    v_speed_ms := CASE WHEN v_late = 0 AND cardinality(p_typed) = v_cells
                       THEN greatest(v_used_ms, 1) ELSE v_limit_ms END;
    v_seconds := v_used_ms / 1000;
    v_accuracy := CASE WHEN v_typed = 0 THEN 0 ELSE (v_correct * 100) / v_typed END;
    v_per_minute := v_correct * 60000.0 / v_speed_ms;
    -- Flagged for the teacher's eyes, not refused: faster than a person types,
    -- or keys at machine-regular intervals.
    IF v_per_minute > (CASE WHEN v_kind = 111 THEN 250 ELSE 750 END)
       OR (v_typed >= 30 AND p_key_median_ms > 0 AND p_key_spread_ms * 10 < p_key_median_ms) THEN
        v_flagged := 1;
    END IF;
    v_label := CASE v_kind WHEN 111 THEN '中文测试' WHEN 112 THEN '英文测试'
                           WHEN 113 THEN '数字测试' WHEN 114 THEN '符号测试' END;

    INSERT INTO score (name, student_no, score_type, chinese_speed, english_speed, number_speed,
                       symbol_speed, seconds, accuracy)
    VALUES (v_user.name, v_user.student_no, v_label,
            CASE WHEN v_kind = 111 THEN CASE WHEN v_seconds = 0 THEN 0 ELSE v_correct / v_seconds END END,
            CASE WHEN v_kind = 112 THEN CASE WHEN v_seconds = 0 THEN 0 ELSE v_correct / v_seconds END END,
            CASE WHEN v_kind = 113 THEN CASE WHEN v_seconds = 0 THEN 0 ELSE v_correct / v_seconds END END,
            CASE WHEN v_kind = 114 THEN CASE WHEN v_seconds = 0 THEN 0 ELSE v_correct / v_seconds END END,
            v_seconds, v_accuracy)
    RETURNING qe_key INTO v_score;
    INSERT INTO attempt (score_key, user_key, user_name, class_name, student_no, kind, text_file,
                         text_hash, started_at, ended_at, elapsed_ms, typed_units, correct_units,
                         backspaces, end_reason, key_median_ms, key_spread_ms)
    VALUES (v_score, v_me, coalesce(v_user.name, ''), coalesce(v_user.class, ''),
            coalesce(v_user.student_no, ''), v_kind, v_exam.title,
            encode(sha256(decode(replace(v_exam.screen_cells, ',', ''), 'hex')), 'hex'),
            v_sitting.started_at, v_now, v_speed_ms, v_typed, v_correct,
            greatest(coalesce(p_backspaces, 0), 0), coalesce(p_end_reason, 1),
            p_key_median_ms, p_key_spread_ms)
    RETURNING id INTO v_attempt;
    INSERT INTO attempt_text (attempt_id, text_id, screen, exam_id)
    VALUES (v_attempt, (SELECT id FROM practice_text WHERE id = v_exam.text_id), v_exam.screen,
            v_exam.id);
    INSERT INTO attempt_mistake (attempt_id, position, user_key, kind, expected, typed)
    SELECT v_attempt, i - 1, v_me, v_kind, coalesce(v_texts ->> (i - 1), ''),
           coalesce(p_typed_texts[i], qe_cell_text(p_typed[i]))
    FROM generate_subscripts(p_typed, 1) AS i
    WHERE coalesce(p_typed[i], '') <> '' AND p_typed[i] <> v_expected[i];
    UPDATE exam_sitting SET finished = 1, ended_at = v_now, kind = v_kind, elapsed_ms = v_used_ms,
        speed_ms = v_speed_ms, typed_units = v_typed, correct_units = v_correct,
        end_reason = coalesce(p_end_reason, 1), focus_losses = greatest(coalesce(p_focus_losses, 0), 0),
        attempt_id = v_attempt, late = v_late, key_median_ms = p_key_median_ms,
        key_spread_ms = p_key_spread_ms, flagged = v_flagged
    WHERE id = v_sitting.id;
    RETURN QUERY SELECT 'stored', ''::text, v_typed, v_correct, v_used_ms, v_speed_ms, v_late,
                        v_flagged;
END
$$;

-- A result kept on a pupil's machine that cannot be scored (kept by an older
-- program, without what was typed): the refusal is kept for the teacher.
CREATE FUNCTION qe_refuse_kept_result(p_uid text, p_reason text) RETURNS void
LANGUAGE plpgsql SECURITY DEFINER SET search_path FROM CURRENT
AS $$
DECLARE
    v_me bigint := qe_my_user_key();
    v_sitting exam_sitting%ROWTYPE;
BEGIN
    IF v_me IS NULL THEN
        RAISE EXCEPTION 'permission denied: only a pupil' USING ERRCODE = '42501';
    END IF;
    SELECT * INTO v_sitting FROM exam_sitting WHERE uid = p_uid;
    IF FOUND AND v_sitting.user_key <> v_me THEN
        RAISE EXCEPTION 'permission denied: the sitting is another pupil''s' USING ERRCODE = '42501';
    END IF;
    IF FOUND AND v_sitting.finished = 1 THEN
        RETURN;
    END IF;
    PERFORM qe_refuse_sitting(p_uid, v_sitting.exam_id, v_me, left(coalesce(p_reason, ''), 200));
END
$$;

REVOKE ALL ON FUNCTION qe_refuse_kept_result(text, text) FROM PUBLIC;
REVOKE ALL ON FUNCTION qe_register(text, text, text, text), qe_log_login(),
    qe_add_super_user(text, text), qe_add_pupils(text[], text[], text[], text[]),
    qe_set_pupil_password(bigint, text), qe_start_sitting(bigint, text),
    qe_finish_sitting(text, text[], text[], integer, integer, integer, integer, integer),
    qe_lock_accounts() FROM PUBLIC;

DO $$
DECLARE
    base text := quote_ident(qe_role('base'));
    pupil text := quote_ident(qe_role('pupil'));
    teacher text := quote_ident(qe_role('teacher'));
BEGIN
    EXECUTE 'GRANT EXECUTE ON FUNCTION qe_register(text, text, text, text) TO ' || base;
    EXECUTE 'GRANT EXECUTE ON FUNCTION qe_log_login() TO ' || pupil || ', ' || teacher;
    EXECUTE 'GRANT EXECUTE ON FUNCTION qe_start_sitting(bigint, text), qe_refuse_kept_result(text, text), '
            'qe_finish_sitting(text, text[], text[], integer, integer, integer, integer, integer) TO '
            || pupil;
    EXECUTE 'GRANT EXECUTE ON FUNCTION qe_add_super_user(text, text), '
            'qe_add_pupils(text[], text[], text[], text[]), qe_set_pupil_password(bigint, text) TO '
            || teacher;
END
$$;
