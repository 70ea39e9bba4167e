-- Version 11 on PostgreSQL: the server writes; the client asks.
--
-- No pupil and not the lab role holds INSERT, UPDATE or DELETE on a table
-- any more (so neither can LOCK one against the others): every write of a
-- pupil's program goes through a SECURITY DEFINER function below that
-- checks its arguments, writes only the caller's rows and computes what it
-- can itself (the figures from the cells, the times from its own clock).
-- A score, attempt, lesson or sitting belongs to the account's key, written
-- by the server; a pupil's name, class and number are the teacher's. An
-- exam is scored from the cells the server saw arrive while it ran. No
-- function waits on a lock that a pupil or the lab role can also take, and
-- every role of the lab runs with timeouts and connection limits.
--
-- Our SQLSTATEs: QE001 a text against the account rules, QE002 a name
-- taken, QE003 no such account, QE004 registration closed or a class no
-- teacher made, QE005 busy (try again), QE006 an argument beyond its size,
-- QE101-QE104 an exam's start refused, QE105 cells that contradict what
-- the server saw (kept for the teacher), QE201 an attempt out of bounds.

SELECT set_config('search_path', quote_ident(current_schema()) || ', pg_temp', true);

-- The lab's settings. A teacher opens registration; the limits are the
-- administrator's, applied by qe --create-database and --upgrade-database.
ALTER TABLE lab_config ADD COLUMN registration_open integer NOT NULL DEFAULT 0;
ALTER TABLE lab_config ADD COLUMN lab_connections integer NOT NULL DEFAULT 50;
ALTER TABLE lab_config ADD COLUMN pupil_connections integer NOT NULL DEFAULT 4;
ALTER TABLE lab_config ADD COLUMN pupil_lock_timeout text NOT NULL DEFAULT '5s';
ALTER TABLE lab_config ADD COLUMN pupil_statement_timeout text NOT NULL DEFAULT '30s';
ALTER TABLE lab_config ADD COLUMN pupil_idle_timeout text NOT NULL DEFAULT '60s';
ALTER TABLE lab_config ADD COLUMN teacher_lock_timeout text NOT NULL DEFAULT '10s';
ALTER TABLE lab_config ADD COLUMN teacher_statement_timeout text NOT NULL DEFAULT '10min';
ALTER TABLE lab_config ADD COLUMN teacher_idle_timeout text NOT NULL DEFAULT '10min';
-- Half the server's connections for the lab machines before their logins;
-- the rest stay for the accounts, the teachers' among them.
UPDATE lab_config SET lab_connections = greatest(5,
    (current_setting('max_connections')::integer
     - current_setting('superuser_reserved_connections')::integer) / 2);

-- A secret of the server's: the keys of its advisory locks are hashed with
-- it, so that no pupil can take one of them with pg_advisory_lock.
CREATE TABLE lab_secret (
    seed bigint NOT NULL
);
INSERT INTO lab_secret (seed)
SELECT ('x' || substr(md5(gen_random_uuid()::text), 1, 16))::bit(64)::bigint;

-- Whose a score row is: the account that stored it, by key.
CREATE TABLE score_owner (
    score_key bigint PRIMARY KEY REFERENCES score (qe_key) ON DELETE CASCADE,
    user_key bigint NOT NULL
);
CREATE INDEX score_owner_by_user ON score_owner (user_key, score_key);
-- The rows of before: the pupil of their attempt, else the one account with
-- the row's name and number; a row nobody can be told the owner of stays
-- the teachers' to clear.
INSERT INTO score_owner (score_key, user_key)
SELECT a.score_key, a.user_key FROM attempt a;
INSERT INTO score_owner (score_key, user_key)
SELECT s.qe_key, min(u.qe_key) FROM score s
JOIN "user" u ON coalesce(u.name, '') = coalesce(s.name, '')
             AND coalesce(u.student_no, '') = coalesce(s.student_no, '')
WHERE NOT EXISTS (SELECT 1 FROM score_owner o WHERE o.score_key = s.qe_key)
GROUP BY s.qe_key HAVING count(*) = 1;

-- One row per pupil: serialises the pupil's own stores and starts (a row
-- no other account can lock) and keeps the end of the last practice or
-- lesson stored, on the server's clock.
CREATE TABLE pupil_clock (
    user_key bigint PRIMARY KEY,
    last_end timestamp(3)
);

-- The course's lessons as the program knows them (filled by the program
-- with the owner's rights): what a lesson asks, for the server's stars.
CREATE TABLE course_lesson (
    course text NOT NULL,
    lesson integer NOT NULL,
    keys integer NOT NULL,
    accuracy integer NOT NULL,
    speed integer NOT NULL,
    PRIMARY KEY (course, lesson)
);
CREATE TABLE course_stars (
    course text PRIMARY KEY,
    two_accuracy integer NOT NULL,
    two_speed_factor double precision NOT NULL,
    three_accuracy integer NOT NULL,
    three_speed_factor double precision NOT NULL
);

-- An exam's kind, so that a pupil's list needs no text the pupil may not read.
ALTER TABLE exam ADD COLUMN kind integer;
UPDATE exam e SET kind = t.kind FROM practice_text t WHERE t.id = e.text_id;

-- What the server saw of a sitting while it ran: the typed cells row by
-- row as the program reported them, the typing position, when the last
-- report came and when the whole screen had been typed, and why the
-- sitting looks wrong (可疑) when it does.
ALTER TABLE exam_sitting ADD COLUMN screen_units integer;
ALTER TABLE exam_sitting ADD COLUMN seen_pos integer NOT NULL DEFAULT 0;
ALTER TABLE exam_sitting ADD COLUMN seen_at timestamp(3);
ALTER TABLE exam_sitting ADD COLUMN whole_at timestamp(3);
ALTER TABLE exam_sitting ADD COLUMN reports integer NOT NULL DEFAULT 0;
ALTER TABLE exam_sitting ADD COLUMN flag_reason text;
ALTER TABLE exam_sitting ADD COLUMN key_presses integer;
UPDATE exam_sitting s SET kind = coalesce(s.kind, e.kind),
    screen_units = cardinality(string_to_array(e.screen_cells, ','))
FROM exam e WHERE e.id = s.exam_id AND s.finished = 0;
CREATE TABLE sitting_row (
    sitting_id bigint NOT NULL REFERENCES exam_sitting (id) ON DELETE CASCADE,
    row_no integer NOT NULL,
    cells text[] NOT NULL,
    texts text[] NOT NULL,
    PRIMARY KEY (sitting_id, row_no)
);

-- Whether the server scored an attempt (or, for the rows of before, found
-- it within the bounds it sets): only these count for assignments and
-- open the course's lessons.
ALTER TABLE attempt ADD COLUMN checked integer NOT NULL DEFAULT 0;
ALTER TABLE lesson_attempt ADD COLUMN checked integer NOT NULL DEFAULT 0;
UPDATE attempt SET checked = 1
WHERE id IN (SELECT attempt_id FROM exam_sitting WHERE attempt_id IS NOT NULL)
   OR (kind IN (111, 112, 113, 114) AND typed_units >= 0 AND elapsed_ms >= 0
       AND typed_units <= 20 + (CASE kind WHEN 111 THEN 250 ELSE 750 END) * elapsed_ms / 60000.0);
UPDATE lesson_attempt SET checked = 1
WHERE correct_keys > 0 AND keystrokes >= correct_keys AND elapsed_ms > 0
  AND correct_keys <= 20 + 750 * elapsed_ms / 60000.0
  AND (key_presses IS NULL OR key_presses >= correct_keys);

-- Only the lab's roles reach the database and its schema.
DO $$
BEGIN
    EXECUTE format('REVOKE CONNECT, TEMPORARY ON DATABASE %I FROM PUBLIC', current_database());
    EXECUTE format('REVOKE ALL ON SCHEMA %I FROM PUBLIC', current_schema());
END
$$;

-- Nothing is written by a pupil but through the functions.
DO $$
DECLARE
    pupil text := quote_ident(qe_role('pupil'));
    teacher text := quote_ident(qe_role('teacher'));
BEGIN
    EXECUTE 'REVOKE UPDATE (name, class, student_no) ON "user" FROM ' || pupil;
    EXECUTE 'REVOKE INSERT, DELETE ON score FROM ' || pupil;
    EXECUTE 'REVOKE INSERT ON attempt, attempt_mistake, attempt_text FROM ' || pupil;
    EXECUTE 'REVOKE INSERT ON lesson_attempt, lesson_miss FROM ' || pupil;
    -- An exam's screen reaches a pupil only through the start of a sitting.
    EXECUTE 'REVOKE SELECT ON exam FROM ' || pupil;
    EXECUTE 'GRANT SELECT (id, title, text_id, screen, minutes, backspace_allowed, '
            'retake_allowed, is_open, created_at, kind) ON exam TO ' || pupil;
    EXECUTE 'GRANT SELECT ON score_owner TO ' || pupil || ', ' || teacher;
END
$$;
DROP POLICY pupil_edits_own ON "user";
DROP POLICY pupil_stores_own ON score;
DROP POLICY pupil_clears_own ON score;
DROP POLICY pupil_stores_own ON attempt;
DROP POLICY pupil_stores_own ON attempt_mistake;
DROP POLICY pupil_stores_own ON attempt_text;
DROP POLICY pupil_keeps_own ON lesson_attempt;
DROP POLICY pupil_keeps_own ON lesson_miss;
DROP FUNCTION qe_owns_score(text, text);

ALTER TABLE score_owner ENABLE ROW LEVEL SECURITY;

-- Row-level security stays where it limits rows: a policy that lets every
-- row through adds nothing to the rights the grants give. Where those were
-- all a table had, the table keeps its grants alone.
DROP POLICY everybody_reads ON "user";
DROP POLICY teacher_edits ON "user";
DROP POLICY teacher_deletes ON "user";
ALTER TABLE "user" DISABLE ROW LEVEL SECURITY;
DROP POLICY everybody_reads ON supperuser;
ALTER TABLE supperuser DISABLE ROW LEVEL SECURITY;
DROP POLICY everybody_reads ON score;
DROP POLICY teacher_edits ON score;
DROP POLICY teacher_clears ON score;
ALTER TABLE score DISABLE ROW LEVEL SECURITY;
DROP POLICY teacher_reads ON loginhistory;
DROP POLICY teacher_clears ON loginhistory;
ALTER TABLE loginhistory DISABLE ROW LEVEL SECURITY;
DROP POLICY teacher_reads ON exam_refusal;
ALTER TABLE exam_refusal DISABLE ROW LEVEL SECURITY;
DROP POLICY teacher_reads ON live_progress;
ALTER TABLE live_progress DISABLE ROW LEVEL SECURITY;
DROP POLICY teacher_stops ON exam_stop;
ALTER TABLE exam_stop DISABLE ROW LEVEL SECURITY;
-- A pupil reads the exams and the assignments of their own class.
DROP POLICY pupil_reads ON exam;
DROP POLICY pupil_reads ON exam_class;
DROP POLICY pupil_reads ON assignment;
DROP POLICY pupil_reads ON assignment_class;

-- Whether an open exam is set on a text: its text is nobody's to read but
-- the teachers' until the exam is closed.
CREATE FUNCTION qe_text_in_open_exam(p_text bigint) RETURNS boolean
LANGUAGE sql STABLE SECURITY DEFINER SET search_path FROM CURRENT
AS $$ SELECT EXISTS (SELECT 1 FROM exam WHERE text_id = p_text AND is_open = 1) $$;
REVOKE ALL ON FUNCTION qe_text_in_open_exam(bigint) FROM PUBLIC;

DO $$
DECLARE
    base text := quote_ident(qe_role('base'));
    pupil text := quote_ident(qe_role('pupil'));
    teacher text := quote_ident(qe_role('teacher'));
BEGIN
    EXECUTE 'GRANT EXECUTE ON FUNCTION qe_text_in_open_exam(bigint) TO ' || base;
    EXECUTE 'DROP POLICY everybody_reads ON practice_text';
    EXECUTE 'CREATE POLICY everybody_reads ON practice_text FOR SELECT TO ' || base
            || ' USING (NOT qe_text_in_open_exam(id))';
    EXECUTE 'CREATE POLICY pupil_reads_own ON lesson_attempt FOR SELECT TO ' || pupil
            || ' USING (user_key = (SELECT qe_my_user_key()))';
    EXECUTE 'CREATE POLICY pupil_reads_own ON lesson_miss FOR SELECT TO ' || pupil
            || ' USING (user_key = (SELECT qe_my_user_key()))';
    EXECUTE 'CREATE POLICY pupil_reads_own ON score_owner FOR SELECT TO ' || pupil
            || ' USING (user_key = (SELECT qe_my_user_key()))';
    EXECUTE 'CREATE POLICY teacher_reads ON score_owner FOR SELECT TO ' || teacher
            || ' USING (true)';
    EXECUTE 'CREATE POLICY pupil_reads_own_class ON exam_class FOR SELECT TO ' || pupil
            || ' USING (class_name = (SELECT qe_my_class()))';
    EXECUTE 'CREATE POLICY pupil_reads_own_class ON exam FOR SELECT TO ' || pupil
            || ' USING (EXISTS (SELECT 1 FROM exam_class c WHERE c.exam_id = id))';
    EXECUTE 'CREATE POLICY pupil_reads_own_class ON assignment_class FOR SELECT TO ' || pupil
            || ' USING (class_name = (SELECT qe_my_class()))';
    EXECUTE 'CREATE POLICY pupil_reads_own_class ON assignment FOR SELECT TO ' || pupil
            || ' USING (EXISTS (SELECT 1 FROM assignment_class c WHERE c.assignment_id = id))';
END
$$;

-- The account rules of the program (AccountRules), for what reaches the
-- server by hand: required, at most 199 bytes in GBK, no control
-- characters, nothing invisible (direction overrides, zero-width marks),
-- nothing that cannot be shown, and something visible.
CREATE FUNCTION qe_gbk_bytes(p_text text) RETURNS integer
LANGUAGE plpgsql IMMUTABLE SET search_path FROM CURRENT
AS $$
BEGIN
    RETURN octet_length(convert_to(p_text, 'GBK'));
EXCEPTION WHEN OTHERS THEN
    -- A character GBK cannot hold is one '?' to the program.
    RETURN octet_length(p_text);
END
$$;
REVOKE ALL ON FUNCTION qe_gbk_bytes(text) FROM PUBLIC;

CREATE OR REPLACE FUNCTION qe_check_account_text(p_text text, p_what text, p_required boolean)
RETURNS void
LANGUAGE plpgsql IMMUTABLE SET search_path FROM CURRENT
AS $$
BEGIN
    IF p_required AND coalesce(p_text, '') = '' THEN
        RAISE EXCEPTION '%不能为空,请输入!', p_what USING ERRCODE = 'QE001';
    END IF;
    IF char_length(coalesce(p_text, '')) > 199 OR qe_gbk_bytes(coalesce(p_text, '')) > 199 THEN
        RAISE EXCEPTION '%太长,请重新输入!', p_what USING ERRCODE = 'QE001';
    END IF;
    IF p_text ~ '[\u0001-\u001f\u007f-\u009f]' THEN
        RAISE EXCEPTION '%中有控制字符(如换行符、制表符),请重新输入!', p_what
            USING ERRCODE = 'QE001';
    END IF;
    IF p_text ~ '[\u00ad\u0600-\u0605\u061c\u06dd\u070f\u08e2\u180e\u200b-\u200f\u2028-\u202e\u2060-\u2064\u2066-\u206f\ufeff\ufff9-\ufffb]' THEN
        RAISE EXCEPTION '%中有看不见的字符(如文字方向符、零宽字符),请重新输入!', p_what
            USING ERRCODE = 'QE001';
    END IF;
    IF p_text ~ '[\ue000-\uf8ff\U000f0000-\U0010ffff]' THEN
        RAISE EXCEPTION '%中有无法显示的字符,请重新输入!', p_what USING ERRCODE = 'QE001';
    END IF;
    IF coalesce(p_text, '') <> '' AND p_text !~ '[^[:space:]\u115f\u1160\u3164\uffa0\u2800]' THEN
        RAISE EXCEPTION '%中没有看得见的字符,请重新输入!', p_what USING ERRCODE = 'QE001';
    END IF;
END
$$;

CREATE FUNCTION qe_check_student_no(p_number text) RETURNS void
LANGUAGE plpgsql IMMUTABLE SET search_path FROM CURRENT
AS $$
BEGIN
    IF coalesce(p_number, '') = '' THEN
        RAISE EXCEPTION '学号不能为空,请输入!' USING ERRCODE = 'QE001';
    END IF;
    IF char_length(p_number) > 10 THEN
        RAISE EXCEPTION '学号最多10位,请重新输入!' USING ERRCODE = 'QE001';
    END IF;
    IF p_number !~ '^[0-9]*$' THEN
        RAISE EXCEPTION '学号只能由数字组成,请重新输入!' USING ERRCODE = 'QE001';
    END IF;
END
$$;
REVOKE ALL ON FUNCTION qe_check_student_no(text) FROM PUBLIC;

-- An advisory lock of the transaction on what, keyed with the server's
-- secret; nothing waits for it: held elsewhere, the call is refused.
CREATE FUNCTION qe_try_lock(p_what text) RETURNS void
LANGUAGE plpgsql SET search_path FROM CURRENT
AS $$
BEGIN
    IF NOT pg_try_advisory_xact_lock(hashtextextended(p_what, (SELECT seed FROM lab_secret))) THEN
        RAISE EXCEPTION '另一台电脑正在进行同样的操作,请稍后再试。' USING ERRCODE = 'QE005';
    END IF;
END
$$;
REVOKE ALL ON FUNCTION qe_try_lock(text) FROM PUBLIC;

-- The pupil's own row of pupil_clock, locked for the transaction; returns
-- the end of the pupil's last practice or lesson stored.
CREATE FUNCTION qe_lock_pupil_clock(p_key bigint) RETURNS timestamp(3)
LANGUAGE plpgsql SET search_path FROM CURRENT
AS $$
DECLARE
    v_last timestamp(3);
BEGIN
    INSERT INTO pupil_clock (user_key) VALUES (p_key) ON CONFLICT (user_key) DO NOTHING;
    SELECT last_end INTO v_last FROM pupil_clock WHERE user_key = p_key FOR UPDATE;
    RETURN v_last;
END
$$;
REVOKE ALL ON FUNCTION qe_lock_pupil_clock(bigint) FROM PUBLIC;

-- The time a practice or lesson of p_ms milliseconds that ends now took on
-- the server's clock; refused (QE201, naming what) when it began before the
-- pupil's last one stored ended. Returns its start; the pupil's clock moves
-- on to now.
CREATE FUNCTION qe_claim_time(p_key bigint, p_ms bigint, p_now timestamp(3), p_what text)
RETURNS timestamp(3)
LANGUAGE plpgsql SET search_path FROM CURRENT
AS $$
DECLARE
    v_last timestamp(3) := qe_lock_pupil_clock(p_key);
    v_start timestamp(3) := p_now - make_interval(secs => p_ms / 1000.0);
BEGIN
    IF v_last IS NOT NULL AND v_start < v_last - interval '2 seconds' THEN
        RAISE EXCEPTION '%的时间与你上一次保存的练习重叠(是否在另一台电脑上同时练习?),不能保存。', p_what
            USING ERRCODE = 'QE201';
    END IF;
    UPDATE pupil_clock SET last_end = p_now WHERE user_key = p_key;
    RETURN v_start;
END
$$;
REVOKE ALL ON FUNCTION qe_claim_time(bigint, bigint, timestamp, text) FROM PUBLIC;

-- The timeouts and the connection limit of one role of the lab.
CREATE FUNCTION qe_limit_role(p_role text, p_pupil boolean) RETURNS void
LANGUAGE plpgsql SET search_path FROM CURRENT
AS $$
DECLARE
    c lab_config%ROWTYPE;
BEGIN
    SELECT * INTO c FROM lab_config;
    IF p_pupil THEN
        EXECUTE format('ALTER ROLE %I CONNECTION LIMIT %s', p_role, c.pupil_connections);
    END IF;
    EXECUTE format('ALTER ROLE %I SET lock_timeout = %L', p_role,
                   CASE WHEN p_pupil THEN c.pupil_lock_timeout ELSE c.teacher_lock_timeout END);
    EXECUTE format('ALTER ROLE %I SET statement_timeout = %L', p_role,
                   CASE WHEN p_pupil THEN c.pupil_statement_timeout
                        ELSE c.teacher_statement_timeout END);
    EXECUTE format('ALTER ROLE %I SET idle_in_transaction_session_timeout = %L', p_role,
                   CASE WHEN p_pupil THEN c.pupil_idle_timeout ELSE c.teacher_idle_timeout END);
END
$$;
REVOKE ALL ON FUNCTION qe_limit_role(text, boolean) FROM PUBLIC;

-- Every role of the lab as lab_config says: run by the setup commands.
CREATE FUNCTION qe_apply_lab_limits() RETURNS void
LANGUAGE plpgsql SET search_path FROM CURRENT
AS $$
DECLARE
    v_role text;
BEGIN
    PERFORM qe_limit_role(qe_role('lab'), true);
    EXECUTE format('ALTER ROLE %I CONNECTION LIMIT %s', qe_role('lab'),
                   (SELECT lab_connections FROM lab_config));
    FOR v_role IN
        SELECT r.rolname FROM pg_roles r
        WHERE r.rolname IN (SELECT qe_role('u_' || qe_key) FROM "user")
    LOOP
        PERFORM qe_limit_role(v_role, true);
    END LOOP;
    FOR v_role IN
        SELECT r.rolname FROM pg_roles r
        WHERE r.rolname IN (SELECT qe_role('s_' || qe_key) FROM supperuser)
    LOOP
        PERFORM qe_limit_role(v_role, false);
    END LOOP;
END
$$;
REVOKE ALL ON FUNCTION qe_apply_lab_limits() FROM PUBLIC;

CREATE OR REPLACE FUNCTION qe_create_account_role(p_kind text, p_key bigint, p_verifier text)
RETURNS void
LANGUAGE plpgsql SET search_path FROM CURRENT
AS $$
BEGIN
    PERFORM qe_check_verifier(p_verifier);
    EXECUTE format('CREATE ROLE %I LOGIN PASSWORD %L IN ROLE %I',
                   qe_role(p_kind || '_' || p_key), p_verifier,
                   qe_role(CASE p_kind WHEN 'u' THEN 'pupil' ELSE 'teacher' END));
    PERFORM qe_limit_role(qe_role(p_kind || '_' || p_key), p_kind = 'u');
END
$$;

-- A class a teacher made: one that pupils belong to, or that an exam, an
-- assignment or the course's thresholds name.
CREATE FUNCTION qe_class_exists(p_class text) RETURNS boolean
LANGUAGE sql STABLE SET search_path FROM CURRENT
AS $$
    SELECT coalesce(p_class, '') <> '' AND (
        EXISTS (SELECT 1 FROM "user" WHERE class = p_class)
        OR EXISTS (SELECT 1 FROM exam_class WHERE class_name = p_class)
        OR EXISTS (SELECT 1 FROM assignment_class WHERE class_name = p_class)
        OR EXISTS (SELECT 1 FROM course_class WHERE class_name = p_class))
$$;
REVOKE ALL ON FUNCTION qe_class_exists(text) FROM PUBLIC;

-- Registration (新建用户) on a lab's database: only while a teacher allows
-- it, into a class a teacher made, under a name nobody has.
CREATE OR REPLACE FUNCTION qe_register(p_name text, p_class text, p_student_no text,
                                       p_verifier text)
RETURNS TABLE (user_key bigint, history_error text)
LANGUAGE plpgsql SECURITY DEFINER SET search_path FROM CURRENT
AS $$
#variable_conflict use_column
DECLARE
    v_key bigint;
BEGIN
    IF char_length(p_name) > 1000 OR char_length(p_class) > 1000
       OR char_length(p_student_no) > 100 OR char_length(p_verifier) > 1000 THEN
        RAISE EXCEPTION '注册的内容太长' USING ERRCODE = 'QE006';
    END IF;
    IF (SELECT registration_open FROM lab_config) = 0 THEN
        RAISE EXCEPTION '这个实验室的数据库不允许学生自己注册,请老师在“学生名单”中添加你的帐户。'
            USING ERRCODE = 'QE004';
    END IF;
    PERFORM qe_check_account_text(p_name, '用户姓名', true);
    PERFORM qe_check_account_text(p_class, '班级名称', true);
    PERFORM qe_check_student_no(p_student_no);
    IF NOT qe_class_exists(p_class) THEN
        RAISE EXCEPTION '没有“%”这个班级,请选择老师建立的班级。', p_class USING ERRCODE = 'QE004';
    END IF;
    PERFORM qe_try_lock('name ' || p_name);
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

-- A teacher opens or closes registration for the lab.
CREATE FUNCTION qe_set_registration(p_open boolean) RETURNS void
LANGUAGE plpgsql SECURITY DEFINER SET search_path FROM CURRENT
AS $$
BEGIN
    PERFORM qe_require_teacher();
    UPDATE lab_config SET registration_open = CASE WHEN p_open THEN 1 ELSE 0 END;
END
$$;
REVOKE ALL ON FUNCTION qe_set_registration(boolean) FROM PUBLIC;

CREATE OR REPLACE FUNCTION qe_add_super_user(p_name text, p_verifier text) RETURNS bigint
LANGUAGE plpgsql SECURITY DEFINER SET search_path FROM CURRENT
AS $$
DECLARE
    v_key bigint;
BEGIN
    PERFORM qe_require_teacher();
    IF char_length(p_name) > 1000 OR char_length(p_verifier) > 1000 THEN
        RAISE EXCEPTION '用户名太长' USING ERRCODE = 'QE006';
    END IF;
    PERFORM qe_check_account_text(p_name, '用户名', false);
    PERFORM qe_try_lock('super ' || p_name);
    IF EXISTS (SELECT 1 FROM supperuser WHERE name = p_name) THEN
        RAISE EXCEPTION '对不起,你输入的用户名已经存在!请重新输入!' USING ERRCODE = 'QE002';
    END IF;
    INSERT INTO supperuser (name, password) VALUES (p_name, NULL) RETURNING qe_key INTO v_key;
    PERFORM qe_create_account_role('s', v_key, p_verifier);
    RETURN v_key;
END
$$;

CREATE OR REPLACE FUNCTION qe_add_pupils(p_names text[], p_classes text[],
                                         p_student_nos text[], p_verifiers text[])
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
    IF cardinality(p_names) > 100000 THEN
        RAISE EXCEPTION '名单太长' USING ERRCODE = 'QE006';
    END IF;
    SELECT n INTO v_taken FROM unnest(p_names) n GROUP BY n HAVING count(*) > 1 LIMIT 1;
    IF FOUND THEN
        RAISE EXCEPTION '名单中用户名“%”出现了两次,没有导入任何学生。', v_taken
            USING ERRCODE = 'QE002';
    END IF;
    FOR i IN 1 .. coalesce(cardinality(p_names), 0) LOOP
        PERFORM qe_check_account_text(p_names[i], '用户姓名', true);
        PERFORM qe_check_account_text(p_classes[i], '班级名称', true);
        PERFORM qe_check_student_no(p_student_nos[i]);
        PERFORM qe_try_lock('name ' || p_names[i]);
    END LOOP;
    SELECT n INTO v_taken FROM unnest(p_names) n
    WHERE EXISTS (SELECT 1 FROM "user" u WHERE u.name = n) LIMIT 1;
    IF FOUND THEN
        RAISE EXCEPTION '用户名“%”刚被别人用了,没有导入任何学生。请重新导入,预览会指出这一行。',
            v_taken USING ERRCODE = 'QE002';
    END IF;
    FOR i IN 1 .. coalesce(cardinality(p_names), 0) LOOP
        INSERT INTO "user" (name, class, student_no, password, kind)
        VALUES (p_names[i], p_classes[i], p_student_nos[i], NULL, '普通用户')
        RETURNING qe_key INTO v_key;
        PERFORM qe_create_account_role('u', v_key, p_verifiers[i]);
        RETURN NEXT v_key;
    END LOOP;
END
$$;
DROP FUNCTION qe_lock_accounts();

-- A finished practice of the four kinds, a library text or a drill, stored
-- as the described result dialog stores it: the server counts the typed
-- and the right cells against the screen, takes the speed and accuracy
-- from them, the time from its own clock, and the name and number from
-- the account. Refused (QE201) when it could not have been typed: faster
-- than 750 keys (250 Chinese characters) a minute, or overlapping the
-- pupil's last practice or lesson stored.
CREATE FUNCTION qe_store_practice(p_kind integer, p_screen text[], p_screen_texts text[],
                                  p_typed text[], p_typed_texts text[], p_seconds integer,
                                  p_elapsed_ms bigint, p_backspaces integer,
                                  p_end_reason integer, p_text_file text, p_text_hash text,
                                  p_text_id bigint, p_screen_no integer,
                                  p_key_median_ms integer, p_key_spread_ms integer,
                                  p_key_presses integer, p_backspace_presses integer)
RETURNS TABLE (score_key bigint, attempt_id bigint, typed_units integer, correct_units integer)
LANGUAGE plpgsql SECURITY DEFINER SET search_path FROM CURRENT
AS $$
#variable_conflict use_column
DECLARE
    v_me bigint := qe_my_user_key();
    v_now timestamp(3) := LOCALTIMESTAMP(3);
    v_cells integer := coalesce(cardinality(p_screen), 0);
    v_count integer := coalesce(cardinality(p_typed), 0);
    v_user "user"%ROWTYPE;
    v_typed integer;
    v_correct integer;
    v_per_minute integer := CASE p_kind WHEN 111 THEN 250 ELSE 750 END;
    v_start timestamp(3);
    v_score bigint;
    v_attempt bigint;
    v_presses integer;
BEGIN
    IF v_me IS NULL THEN
        RAISE EXCEPTION 'permission denied: only a pupil stores a practice' USING ERRCODE = '42501';
    END IF;
    IF v_cells > 1288 OR coalesce(cardinality(p_screen_texts), 0) <> v_cells
       OR coalesce(cardinality(p_typed_texts), 0) <> v_count
       OR char_length(p_text_file) > 200 OR char_length(p_text_hash) > 64
       OR EXISTS (SELECT 1 FROM unnest(p_screen || p_typed) c
                  WHERE c IS NULL OR c !~ '^([0-9a-f]{2}){0,2}$')
       OR EXISTS (SELECT 1 FROM unnest(p_screen_texts || p_typed_texts) t
                  WHERE char_length(t) > 4) THEN
        RAISE EXCEPTION '练习记录的内容超出了范围' USING ERRCODE = 'QE006';
    END IF;
    IF p_kind NOT IN (111, 112, 113, 114) OR v_count > v_cells THEN
        RAISE EXCEPTION '练习记录与练习的屏幕不符,成绩不能保存。' USING ERRCODE = 'QE201';
    END IF;
    IF p_elapsed_ms IS NULL OR p_elapsed_ms < 0 OR p_elapsed_ms > 86400000
       OR p_seconds IS NULL OR p_seconds < 0 OR p_seconds > 86400 THEN
        RAISE EXCEPTION '练习的用时不对,成绩不能保存。' USING ERRCODE = 'QE201';
    END IF;
    SELECT count(*) FILTER (WHERE t <> ''), count(*) FILTER (WHERE t <> '' AND t = s)
    INTO v_typed, v_correct
    FROM unnest(p_typed, p_screen[1:v_count]) AS u(t, s);
    IF v_typed > 20 + v_per_minute * p_elapsed_ms / 60000.0
       OR v_typed > 20 + v_per_minute * p_seconds / 60.0 THEN
        RAISE EXCEPTION '这次练习比人能打的还快(每分钟超过%个),成绩不能保存。', v_per_minute
            USING ERRCODE = 'QE201';
    END IF;
    v_start := qe_claim_time(v_me, p_elapsed_ms, v_now, '这次练习');

    SELECT * INTO v_user FROM "user" WHERE qe_key = v_me;
    INSERT INTO score (name, student_no, score_type, chinese_speed, english_speed, number_speed,
                       symbol_speed, seconds, accuracy)
    SELECT v_user.name, v_user.student_no,
           CASE p_kind WHEN 111 THEN '中文测试' WHEN 112 THEN '英文测试'
                       WHEN 113 THEN '数字测试' ELSE '符号测试' END,
           CASE WHEN p_kind = 111 THEN speed END, CASE WHEN p_kind = 112 THEN speed END,
           CASE WHEN p_kind = 113 THEN speed END, CASE WHEN p_kind = 114 THEN speed END,
           p_seconds,
           -- truncated as the result dialog does it: 57 of 100 is 56
           CASE WHEN v_typed = 0 THEN 0
                ELSE floor(v_correct::double precision / v_typed * 100)::integer END
    FROM (SELECT CASE WHEN p_seconds = 0 THEN 0 ELSE v_correct / p_seconds END AS speed) f
    RETURNING qe_key INTO v_score;
    INSERT INTO score_owner (score_key, user_key) VALUES (v_score, v_me);
    v_presses := CASE WHEN p_key_presses IS NULL OR p_key_presses < 0 THEN NULL
                      ELSE least(greatest(p_key_presses, v_typed),
                                 20 * (p_elapsed_ms / 1000 + 1))::integer END;
    INSERT INTO attempt (score_key, user_key, user_name, class_name, student_no, kind, text_file,
                         text_hash, started_at, ended_at, elapsed_ms, typed_units, correct_units,
                         backspaces, end_reason, key_median_ms, key_spread_ms, key_presses,
                         backspace_presses, checked)
    VALUES (v_score, v_me, coalesce(v_user.name, ''), coalesce(v_user.class, ''),
            coalesce(v_user.student_no, ''), p_kind, coalesce(p_text_file, ''),
            coalesce(p_text_hash, ''), v_start, v_now, p_elapsed_ms, v_typed, v_correct,
            least(greatest(coalesce(p_backspaces, 0), 0), 1000000),
            CASE WHEN p_end_reason BETWEEN 1 AND 4 THEN p_end_reason ELSE 1 END,
            least(greatest(coalesce(p_key_median_ms, 0), 0), 3600000),
            least(greatest(coalesce(p_key_spread_ms, 0), 0), 3600000), v_presses,
            CASE WHEN v_presses IS NULL THEN NULL
                 ELSE least(greatest(coalesce(p_backspace_presses, 0), 0), v_presses) END, 1)
    RETURNING id INTO v_attempt;
    IF coalesce(p_text_id, 0) <> 0 THEN
        INSERT INTO attempt_text (attempt_id, text_id, screen, exam_id)
        VALUES (v_attempt, (SELECT id FROM practice_text WHERE id = p_text_id),
                least(greatest(coalesce(p_screen_no, 0), 0), 1000000), NULL);
    END IF;
    INSERT INTO attempt_mistake (attempt_id, position, user_key, kind, expected, typed)
    SELECT v_attempt, i - 1, v_me, p_kind, coalesce(p_screen_texts[i], ''),
           coalesce(p_typed_texts[i], '')
    FROM generate_subscripts(p_typed, 1) AS i
    WHERE p_typed[i] <> '' AND p_typed[i] IS DISTINCT FROM p_screen[i];
    RETURN QUERY SELECT v_score, v_attempt, v_typed, v_correct;
END
$$;
REVOKE ALL ON FUNCTION qe_store_practice(integer, text[], text[], text[], text[], integer, bigint,
    integer, integer, text, text, bigint, integer, integer, integer, integer, integer) FROM PUBLIC;

-- A finished lesson of the course: its keys are the lesson's own, its stars
-- and whether it passed come from the lesson's targets and the class's
-- thresholds, its time from the server's clock. Refused (QE201) when it is
-- no lesson, faster than 750 keys a minute, fewer key presses than the
-- lesson has keys, or overlapping the pupil's last practice or lesson.
CREATE FUNCTION qe_store_lesson(p_course text, p_lesson integer, p_elapsed_ms bigint,
                                p_errors integer, p_backspaces integer, p_key_presses integer,
                                p_backspace_presses integer, p_miss_expected text[],
                                p_miss_typed text[], p_miss_times integer[])
RETURNS TABLE (attempt_id bigint, stars integer, passed integer)
LANGUAGE plpgsql SECURITY DEFINER SET search_path FROM CURRENT
AS $$
#variable_conflict use_column
DECLARE
    v_me bigint := qe_my_user_key();
    v_now timestamp(3) := LOCALTIMESTAMP(3);
    v_misses integer := coalesce(cardinality(p_miss_expected), 0);
    v_user "user"%ROWTYPE;
    v_lesson course_lesson%ROWTYPE;
    v_levels course_stars%ROWTYPE;
    v_class course_class%ROWTYPE;
    v_keystrokes integer;
    v_accuracy integer;
    v_per_minute double precision;
    v_target_accuracy integer;
    v_target_speed integer;
    v_stars integer := 0;
    v_start timestamp(3);
    v_attempt bigint;
BEGIN
    IF v_me IS NULL THEN
        RAISE EXCEPTION 'permission denied: only a pupil stores a lesson' USING ERRCODE = '42501';
    END IF;
    IF char_length(p_course) > 40 OR v_misses > 500
       OR coalesce(cardinality(p_miss_typed), 0) <> v_misses
       OR coalesce(cardinality(p_miss_times), 0) <> v_misses
       OR EXISTS (SELECT 1 FROM unnest(p_miss_expected || p_miss_typed) t
                  WHERE t IS NULL OR char_length(t) > 8) THEN
        RAISE EXCEPTION '课程记录的内容超出了范围' USING ERRCODE = 'QE006';
    END IF;
    SELECT * INTO v_lesson FROM course_lesson WHERE course = p_course AND lesson = p_lesson;
    IF NOT FOUND THEN
        RAISE EXCEPTION '数据库中没有这一课,请管理员运行 qe --upgrade-database。'
            USING ERRCODE = 'QE201';
    END IF;
    IF p_elapsed_ms IS NULL OR p_elapsed_ms <= 0 OR p_elapsed_ms > 86400000
       OR p_errors IS NULL OR p_errors < 0 OR p_errors > 10 * v_lesson.keys + 1000
       OR EXISTS (SELECT 1 FROM unnest(p_miss_times) n WHERE n IS NULL OR n < 1 OR n > p_errors) THEN
        RAISE EXCEPTION '这一课的记录不对,不能保存。' USING ERRCODE = 'QE201';
    END IF;
    IF v_lesson.keys > 20 + 750 * p_elapsed_ms / 60000.0 THEN
        RAISE EXCEPTION '这一课比人能打的还快(每分钟超过750键),不能保存。' USING ERRCODE = 'QE201';
    END IF;
    IF p_key_presses IS NOT NULL AND p_key_presses >= 0 AND p_key_presses < v_lesson.keys THEN
        RAISE EXCEPTION '按键次数比这一课的键还少,不能保存。' USING ERRCODE = 'QE201';
    END IF;
    v_start := qe_claim_time(v_me, p_elapsed_ms, v_now, '这一课');

    SELECT * INTO v_user FROM "user" WHERE qe_key = v_me;
    SELECT * INTO v_class FROM course_class WHERE class_name = coalesce(v_user.class, '');
    SELECT * INTO v_levels FROM course_stars WHERE course = p_course;
    -- As the program's course rules: accuracy truncated, keys a minute over
    -- the time typed, the class's own accuracy and share of the speed.
    v_keystrokes := v_lesson.keys + p_errors;
    v_accuracy := floor(v_lesson.keys::double precision / v_keystrokes * 100)::integer;
    v_per_minute := v_lesson.keys::double precision * 60000 / p_elapsed_ms::double precision;
    v_target_accuracy := CASE WHEN coalesce(v_class.accuracy, 0) > 0 THEN v_class.accuracy
                              ELSE v_lesson.accuracy END;
    v_target_speed := round(v_lesson.speed * coalesce(v_class.speed_percent, 100) / 100.0);
    IF v_accuracy >= v_target_accuracy AND v_per_minute >= v_target_speed THEN
        v_stars := CASE
            WHEN v_accuracy >= greatest(v_levels.three_accuracy, v_target_accuracy)
                 AND v_per_minute >= v_target_speed * v_levels.three_speed_factor THEN 3
            WHEN v_accuracy >= greatest(v_levels.two_accuracy, v_target_accuracy)
                 AND v_per_minute >= v_target_speed * v_levels.two_speed_factor THEN 2
            ELSE 1 END;
    END IF;
    INSERT INTO lesson_attempt (user_key, user_name, class_name, student_no, kind, course, lesson,
                                started_at, ended_at, elapsed_ms, keystrokes, correct_keys, errors,
                                backspaces, stars, passed, key_presses, backspace_presses, checked)
    VALUES (v_me, coalesce(v_user.name, ''), coalesce(v_user.class, ''),
            coalesce(v_user.student_no, ''), 116, p_course, p_lesson, v_start, v_now,
            p_elapsed_ms, v_keystrokes, v_lesson.keys, p_errors,
            least(greatest(coalesce(p_backspaces, 0), 0), p_errors), v_stars,
            CASE WHEN v_stars > 0 THEN 1 ELSE 0 END,
            CASE WHEN p_key_presses < 0 THEN NULL
                 ELSE least(p_key_presses, 20 * (p_elapsed_ms / 1000 + 1))::integer END,
            CASE WHEN p_key_presses IS NULL OR p_key_presses < 0 THEN NULL
                 ELSE least(greatest(coalesce(p_backspace_presses, 0), 0), p_key_presses) END, 1)
    RETURNING id INTO v_attempt;
    INSERT INTO lesson_miss (attempt_id, user_key, expected, typed, times)
    SELECT v_attempt, v_me, p_miss_expected[i], p_miss_typed[i], sum(p_miss_times[i])
    FROM generate_subscripts(p_miss_expected, 1) AS i
    GROUP BY p_miss_expected[i], p_miss_typed[i];
    RETURN QUERY SELECT v_attempt, v_stars, CASE WHEN v_stars > 0 THEN 1 ELSE 0 END;
END
$$;
REVOKE ALL ON FUNCTION qe_store_lesson(text, integer, bigint, integer, integer, integer, integer,
    text[], text[], integer[]) FROM PUBLIC;

-- Clearing one's own scores (个人成绩): the rows the account stored, by key,
-- up to key_bound, a batch at a time; returns how many went.
CREATE FUNCTION qe_clear_my_scores(p_key_bound bigint, p_batch integer) RETURNS integer
LANGUAGE plpgsql SECURITY DEFINER SET search_path FROM CURRENT
AS $$
DECLARE
    v_me bigint := qe_my_user_key();
    v_deleted integer;
BEGIN
    IF v_me IS NULL THEN
        RAISE EXCEPTION 'permission denied: only a pupil clears their own scores'
            USING ERRCODE = '42501';
    END IF;
    IF p_batch IS NULL OR p_batch < 1 OR p_batch > 5000 THEN
        RAISE EXCEPTION 'a batch of 1 to 5000 rows' USING ERRCODE = 'QE006';
    END IF;
    DELETE FROM score WHERE qe_key IN (
        SELECT score_key FROM score_owner WHERE user_key = v_me AND score_key <= p_key_bound
        ORDER BY score_key LIMIT p_batch);
    GET DIAGNOSTICS v_deleted = ROW_COUNT;
    RETURN v_deleted;
END
$$;
REVOKE ALL ON FUNCTION qe_clear_my_scores(bigint, integer) FROM PUBLIC;

-- An exam's start, on the server's clock: the exam must be open and set for
-- the pupil's class; a pupil has one running sitting at a time, and a
-- sitting left running past its time counts as sat (中断). Returns the
-- start and the exam's screen, which reaches the pupil only here. A start
-- asked again under the same uid (the program gave up waiting for the
-- first answer) is the same sitting, on its first start's clock.
DROP FUNCTION qe_start_sitting(bigint, text);
CREATE FUNCTION qe_start_sitting(p_exam bigint, p_uid text)
RETURNS TABLE (started_at timestamp(3), title text, kind integer, minutes integer,
               screen_cells text, screen_texts text)
LANGUAGE plpgsql SECURITY DEFINER SET search_path FROM CURRENT
AS $$
#variable_conflict use_column
DECLARE
    v_me bigint := qe_my_user_key();
    v_class text;
    v_exam exam%ROWTYPE;
    v_kind integer;
    v_started timestamp(3);
    v_now timestamp(3) := LOCALTIMESTAMP(3);
BEGIN
    IF char_length(p_uid) > 64 THEN
        RAISE EXCEPTION 'a sitting''s uid has at most 64 characters' USING ERRCODE = 'QE006';
    END IF;
    SELECT class INTO v_class FROM "user" WHERE qe_key = v_me;
    IF NOT FOUND THEN
        RAISE EXCEPTION 'permission denied: only a pupil sits an exam' USING ERRCODE = '42501';
    END IF;
    SELECT * INTO v_exam FROM exam WHERE id = p_exam;
    IF NOT FOUND OR v_exam.is_open = 0 THEN
        RAISE EXCEPTION '考试已经关闭。' USING ERRCODE = 'QE101';
    END IF;
    IF NOT EXISTS (SELECT 1 FROM exam_class WHERE exam_id = p_exam
                   AND class_name = coalesce(v_class, '')) THEN
        RAISE EXCEPTION '这场考试不是给你的班级的。' USING ERRCODE = 'QE102';
    END IF;
    -- Serialises the starts of one pupil's copies of the program.
    PERFORM qe_lock_pupil_clock(v_me);
    SELECT s.started_at INTO v_started FROM exam_sitting s
    WHERE s.uid = p_uid AND s.user_key = v_me AND s.exam_id = p_exam AND s.finished = 0
      AND s.started_at + make_interval(mins => v_exam.minutes, secs => 30) >= v_now;
    IF FOUND THEN
        RETURN QUERY SELECT v_started, v_exam.title, coalesce(v_exam.kind, 0), v_exam.minutes,
                            v_exam.screen_cells, v_exam.screen_texts;
        RETURN;
    END IF;
    UPDATE exam_sitting SET finished = 2
    WHERE exam_id = p_exam AND user_key = v_me AND finished = 0
      AND exam_sitting.started_at + make_interval(mins => v_exam.minutes, secs => 30) < v_now;
    IF EXISTS (SELECT 1 FROM exam_sitting WHERE exam_id = p_exam AND user_key = v_me
               AND finished = 0) THEN
        RAISE EXCEPTION '你正在另一台电脑(或另一个窗口)上参加这场考试,不能同时考两次。'
            USING ERRCODE = 'QE104';
    END IF;
    IF v_exam.retake_allowed = 0
       AND EXISTS (SELECT 1 FROM exam_sitting WHERE exam_id = p_exam AND user_key = v_me) THEN
        RAISE EXCEPTION '你已经参加过这场考试,这场考试不允许重考。' USING ERRCODE = 'QE103';
    END IF;
    v_kind := coalesce(v_exam.kind, (SELECT t.kind FROM practice_text t WHERE t.id = v_exam.text_id));
    INSERT INTO exam_sitting (uid, exam_id, user_key, started_at, finished, focus_losses, kind,
                              screen_units)
    VALUES (p_uid, p_exam, v_me, v_now, 0, 0, v_kind,
            cardinality(string_to_array(v_exam.screen_cells, ',')));
    RETURN QUERY SELECT v_now, v_exam.title, v_kind, v_exam.minutes, v_exam.screen_cells,
                        v_exam.screen_texts;
END
$$;

-- Takes cells of a running sitting (locked by the caller), as the pupil's
-- program sent them: from position p_from (0 for the first cell) to the
-- typing position. Cells of the rows before the typing position's row (of
-- every cell before it where Backspace is refused) cannot change any more;
-- cells that change them, or that leave a gap, contradict what the server
-- saw and are refused (QE105). The first doubt about how fast they came is
-- kept as the sitting's flag_reason: more than a person types since the
-- start or since the last report, or a long silence before cells came. A
-- late result (p_late: after the time allowed) may add no more than the
-- time left after the last report allowed, and what it adds is noted.
CREATE FUNCTION qe_take_cells(p_id bigint, p_from integer, p_cells text[], p_texts text[],
                              p_now timestamp(3), p_late boolean)
RETURNS void
LANGUAGE plpgsql SET search_path FROM CURRENT
AS $$
DECLARE
    s exam_sitting%ROWTYPE;
    v_minutes integer;
    v_backspace integer;
    v_count integer := coalesce(cardinality(p_cells), 0);
    v_end integer := p_from + coalesce(cardinality(p_cells), 0);
    v_row integer;
    v_frozen integer;
    v_rate double precision;
    v_limit_ms bigint;
    v_since_ms bigint;
    v_at_ms bigint;
    v_advance integer;
    v_doubt text;
    v_lo integer;
    v_hi integer;
    v_stored text[];
    v_stored_texts text[];
BEGIN
    SELECT * INTO s FROM exam_sitting WHERE id = p_id;
    -- The exam's screen stays where it is: only its time and rule are read.
    SELECT minutes, backspace_allowed INTO v_minutes, v_backspace FROM exam WHERE id = s.exam_id;
    v_row := CASE WHEN s.kind = 111 THEN 46 ELSE 92 END;
    v_rate := (CASE WHEN s.kind = 111 THEN 250 ELSE 750 END) / 60000.0;
    v_limit_ms := v_minutes * 60000;
    IF p_from < 0 OR v_end > coalesce(s.screen_units, 0) THEN
        RAISE EXCEPTION '成绩中打入的字比考试的屏幕还多' USING ERRCODE = 'QE105';
    END IF;
    IF p_from > s.seen_pos THEN
        RAISE EXCEPTION '成绩中缺少考试时已经打过的字' USING ERRCODE = 'QE105';
    END IF;
    v_frozen := CASE WHEN v_backspace = 1 THEN (s.seen_pos / v_row) * v_row ELSE s.seen_pos END;
    IF v_end < v_frozen THEN
        RAISE EXCEPTION '成绩中少了考试时已经收到的字' USING ERRCODE = 'QE105';
    END IF;
    -- The rows that cannot change any more must be what the server saw.
    FOR r IN (p_from / v_row) .. ((v_frozen - 1) / v_row) LOOP
        EXIT WHEN r * v_row >= v_frozen OR p_from >= v_frozen;
        v_lo := greatest(p_from, r * v_row);
        v_hi := least(v_end, (r + 1) * v_row, v_frozen);
        SELECT cells INTO v_stored FROM sitting_row WHERE sitting_id = p_id AND row_no = r;
        IF p_cells[v_lo - p_from + 1 : v_hi - p_from]
           IS DISTINCT FROM (coalesce(v_stored, '{}'::text[]))[v_lo - r * v_row + 1 : v_hi - r * v_row] THEN
            RAISE EXCEPTION '成绩与考试时收到的内容不符' USING ERRCODE = 'QE105';
        END IF;
    END LOOP;
    v_advance := greatest(0, v_end - s.seen_pos);
    v_at_ms := floor(extract(epoch FROM (p_now - s.started_at)) * 1000);
    v_since_ms := floor(extract(epoch FROM (p_now - coalesce(s.seen_at, s.started_at))) * 1000);
    IF p_late THEN
        -- Only what the time left after the last report could hold.
        IF v_advance > 20 + v_rate * (greatest(0, v_limit_ms - (v_at_ms - v_since_ms)) + 2000) THEN
            RAISE EXCEPTION '补交的成绩比考试剩下的时间里能打的还多' USING ERRCODE = 'QE105';
        END IF;
        IF v_advance > 20 THEN
            v_doubt := format('有%s个字是考试结束后补交的,考试时服务器没有收到', v_advance);
        END IF;
    ELSIF v_advance > 0 THEN
        IF v_end > 20 + v_rate * (v_at_ms + 2000) THEN
            v_doubt := format('开考%s秒就收到%s个字,超出常人的速度', v_at_ms / 1000, v_end);
        ELSIF v_advance > 20 + v_rate * (v_since_ms + 2000) THEN
            v_doubt := format('%s秒内收到%s个字,超出常人的速度', v_since_ms / 1000, v_advance);
        ELSIF v_since_ms > 15000 THEN
            v_doubt := format('服务器有%s秒没有收到打字内容', v_since_ms / 1000);
        END IF;
    END IF;
    -- The rows from the first that may change: kept up to p_from, then the
    -- cells sent; what lies after the typing position goes.
    FOR r IN (greatest(p_from, v_frozen) / v_row) .. (greatest(v_end, 1) - 1) / v_row LOOP
        v_lo := greatest(p_from, v_frozen, r * v_row);
        v_hi := least(v_end, (r + 1) * v_row);
        CONTINUE WHEN v_hi < v_lo;
        SELECT cells, texts INTO v_stored, v_stored_texts FROM sitting_row
        WHERE sitting_id = p_id AND row_no = r;
        INSERT INTO sitting_row (sitting_id, row_no, cells, texts)
        VALUES (p_id, r,
                (coalesce(v_stored, '{}'::text[]))[1 : v_lo - r * v_row] || coalesce(p_cells[v_lo - p_from + 1 : v_hi - p_from], '{}'),
                (coalesce(v_stored_texts, '{}'::text[]))[1 : v_lo - r * v_row] || coalesce(p_texts[v_lo - p_from + 1 : v_hi - p_from], '{}'))
        ON CONFLICT (sitting_id, row_no) DO UPDATE SET cells = EXCLUDED.cells, texts = EXCLUDED.texts;
    END LOOP;
    DELETE FROM sitting_row WHERE sitting_id = p_id AND row_no * v_row >= v_end;
    UPDATE exam_sitting SET seen_pos = v_end, seen_at = p_now, reports = reports + 1,
        whole_at = CASE WHEN v_end >= screen_units AND whole_at IS NULL AND NOT p_late
                        THEN p_now ELSE whole_at END,
        flag_reason = coalesce(flag_reason, v_doubt)
    WHERE id = p_id;
END
$$;
REVOKE ALL ON FUNCTION qe_take_cells(bigint, integer, text[], text[], timestamp, boolean)
    FROM PUBLIC;

-- The size checks of cells a pupil's program sends.
CREATE FUNCTION qe_check_cells(p_uid text, p_from integer, p_cells text[], p_texts text[])
RETURNS void
LANGUAGE plpgsql IMMUTABLE SET search_path FROM CURRENT
AS $$
BEGIN
    IF char_length(p_uid) > 64 OR p_from IS NULL OR p_from < 0 OR p_from > 1288
       OR coalesce(cardinality(p_cells), 0) > 1288
       OR coalesce(cardinality(p_cells), 0) <> coalesce(cardinality(p_texts), 0)
       OR EXISTS (SELECT 1 FROM unnest(p_cells) c WHERE c IS NULL OR c !~ '^([0-9a-f]{2}){0,2}$')
       OR EXISTS (SELECT 1 FROM unnest(p_texts) t WHERE t IS NULL OR char_length(t) > 4) THEN
        RAISE EXCEPTION '考试内容超出了范围' USING ERRCODE = 'QE006';
    END IF;
END
$$;
REVOKE ALL ON FUNCTION qe_check_cells(text, integer, text[], text[]) FROM PUBLIC;

-- A running sitting's cells, reported by the pupil's program every few
-- seconds beside its live report: kept with the server's time. A report
-- that contradicts what came before is not taken and marks the sitting
-- 可疑. Returns the typing position the server holds (the program sends
-- from the start of its row next time), -1 for no running sitting.
CREATE FUNCTION qe_sitting_report(p_uid text, p_from integer, p_cells text[], p_texts text[])
RETURNS integer
LANGUAGE plpgsql SECURITY DEFINER SET search_path FROM CURRENT
AS $$
DECLARE
    v_me bigint := qe_my_user_key();
    v_now timestamp(3) := LOCALTIMESTAMP(3);
    s exam_sitting%ROWTYPE;
BEGIN
    IF v_me IS NULL THEN
        RAISE EXCEPTION 'permission denied: only a pupil sits an exam' USING ERRCODE = '42501';
    END IF;
    PERFORM qe_check_cells(p_uid, p_from, p_cells, p_texts);
    -- A report lost to a crash of the server costs nothing (the result
    -- brings every cell again): its commit does not wait for the disk.
    PERFORM set_config('synchronous_commit', 'off', true);
    SELECT * INTO s FROM exam_sitting WHERE uid = p_uid AND user_key = v_me FOR UPDATE;
    IF NOT FOUND OR s.finished <> 0 THEN
        RETURN -1;
    END IF;
    -- Past the time allowed the cells wait for the result itself.
    IF v_now <= s.started_at + make_interval(mins => (SELECT minutes FROM exam
                                                       WHERE id = s.exam_id), secs => 30) THEN
        BEGIN
            PERFORM qe_take_cells(s.id, p_from, p_cells, p_texts, v_now, false);
        EXCEPTION WHEN SQLSTATE 'QE105' THEN
            UPDATE exam_sitting SET flag_reason = coalesce(flag_reason, SQLERRM) WHERE id = s.id;
        END;
    END IF;
    RETURN (SELECT seen_pos FROM exam_sitting WHERE id = s.id);
END
$$;
REVOKE ALL ON FUNCTION qe_sitting_report(text, integer, text[], text[]) FROM PUBLIC;

-- An exam's result, scored from the cells the server saw arrive: the
-- result brings the whole typed screen once more (a result kept on the
-- pupil's machine while the server was away brings what the server did
-- not see), taken as a last report. The score row is the described one
-- (speed in whole units per second); the attempt's time is what its speed
-- is measured over: the time allowed, unless the server saw the whole
-- screen typed before it. A result after the time allowed is late (补交).
-- What the pupil's program counted (key presses, Backspaces, the rhythm of
-- the keys, focus losses) is taken as its own figures, within what the
-- cells allow. Outcomes: 'stored' (with the reason when flagged),
-- 'stored-before', or 'refused' with the reason, kept for the teacher.
DROP FUNCTION qe_finish_sitting(text, text[], text[], integer, integer, integer, integer, integer);
DROP FUNCTION qe_sitting_key_presses(text, integer, integer);
CREATE FUNCTION qe_finish_sitting(p_uid text, p_cells text[], p_texts text[],
                                  p_backspaces integer, p_end_reason integer,
                                  p_focus_losses integer, p_key_median_ms integer,
                                  p_key_spread_ms integer, p_key_presses integer,
                                  p_backspace_presses integer)
RETURNS TABLE (outcome text, reason text, typed_units integer, correct_units integer,
               used_ms bigint, speed_ms bigint, late integer, flagged integer)
LANGUAGE plpgsql SECURITY DEFINER SET search_path FROM CURRENT
AS $$
#variable_conflict use_column
DECLARE
    v_me bigint := qe_my_user_key();
    v_now timestamp(3) := LOCALTIMESTAMP(3);
    s exam_sitting%ROWTYPE;
    v_exam exam%ROWTYPE;
    v_user "user"%ROWTYPE;
    v_expected text[];
    v_texts jsonb;
    v_typed_cells text[];
    v_typed_texts text[];
    v_typed integer;
    v_correct integer;
    v_limit_ms bigint;
    v_server_ms bigint;
    v_used_ms bigint;
    v_speed_ms bigint;
    v_late integer;
    v_flagged integer := 0;
    v_seconds integer;
    v_accuracy integer;
    v_presses integer;
    v_score bigint;
    v_attempt bigint;
    v_label text;
BEGIN
    IF v_me IS NULL THEN
        RAISE EXCEPTION 'permission denied: only a pupil stores an exam result' USING ERRCODE = '42501';
    END IF;
    PERFORM qe_check_cells(p_uid, 0, p_cells, p_texts);
    SELECT * INTO s FROM exam_sitting WHERE uid = p_uid AND user_key = v_me FOR UPDATE;
    IF NOT FOUND THEN
        PERFORM qe_refuse_sitting(p_uid, NULL, v_me, '数据库中没有这次考试的开始记录');
        RETURN QUERY SELECT 'refused', '数据库中没有这次考试的开始记录', 0, 0, 0::bigint,
                            0::bigint, 0, 0;
        RETURN;
    END IF;
    IF s.finished = 1 THEN
        RETURN QUERY SELECT 'stored-before', coalesce(s.flag_reason, ''), s.typed_units,
                            s.correct_units, s.elapsed_ms, s.speed_ms, s.late, s.flagged;
        RETURN;
    END IF;
    SELECT * INTO v_exam FROM exam WHERE id = s.exam_id;
    IF NOT FOUND OR v_exam.screen_cells IS NULL THEN
        PERFORM qe_refuse_sitting(p_uid, s.exam_id, v_me, '考试已被删除');
        RETURN QUERY SELECT 'refused', '考试已被删除', 0, 0, 0::bigint, 0::bigint, 0, 0;
        RETURN;
    END IF;
    v_limit_ms := v_exam.minutes * 60000;
    v_server_ms := floor(extract(epoch FROM (v_now - s.started_at)) * 1000);
    v_late := CASE WHEN v_server_ms > v_limit_ms + 30000 THEN 1 ELSE 0 END;
    BEGIN
        PERFORM qe_take_cells(s.id, 0, p_cells, p_texts, v_now, v_late = 1);
    EXCEPTION WHEN SQLSTATE 'QE105' THEN
        PERFORM qe_refuse_sitting(p_uid, s.exam_id, v_me, SQLERRM);
        RETURN QUERY SELECT 'refused', SQLERRM, 0, 0, 0::bigint, 0::bigint, 0, 0;
        RETURN;
    END;
    SELECT * INTO s FROM exam_sitting WHERE id = s.id;

    -- The typed screen as the server holds it.
    SELECT coalesce(array_agg(c ORDER BY r.row_no, o), '{}'), coalesce(array_agg(t ORDER BY r.row_no, o), '{}')
    INTO v_typed_cells, v_typed_texts
    FROM sitting_row r, unnest(r.cells, r.texts) WITH ORDINALITY AS u(c, t, o)
    WHERE r.sitting_id = s.id;
    v_expected := string_to_array(v_exam.screen_cells, ',');
    v_texts := v_exam.screen_texts::jsonb;
    SELECT count(*) FILTER (WHERE c <> ''), count(*) FILTER (WHERE c <> '' AND c = v_expected[i])
    INTO v_typed, v_correct
    FROM unnest(v_typed_cells) WITH ORDINALITY AS u(c, i);

    v_used_ms := least(greatest(v_server_ms, 0), v_limit_ms);
    v_speed_ms := CASE WHEN s.whole_at IS NOT NULL
                            AND s.whole_at <= s.started_at + make_interval(secs => v_limit_ms / 1000.0)
                       THEN greatest(floor(extract(epoch FROM (s.whole_at - s.started_at)) * 1000)::bigint, 1)
                       ELSE v_limit_ms END;
    v_seconds := v_used_ms / 1000;
    v_accuracy := CASE WHEN v_typed = 0 THEN 0 ELSE (v_correct * 100) / v_typed END;
    -- Keys at machine-regular intervals, by the program's own count.
    IF v_typed >= 30 AND p_key_median_ms > 0 AND p_key_spread_ms * 10 < p_key_median_ms THEN
        s.flag_reason := concat_ws(';', s.flag_reason, '按键间隔整齐得像机器');
    END IF;
    v_flagged := CASE WHEN s.flag_reason IS NULL THEN 0 ELSE 1 END;
    v_presses := CASE WHEN p_key_presses IS NULL OR p_key_presses < 0 THEN NULL
                      ELSE least(greatest(p_key_presses, v_typed), 20 * (v_used_ms / 1000 + 1))::integer END;
    v_label := CASE s.kind WHEN 111 THEN '中文测试' WHEN 112 THEN '英文测试'
                           WHEN 113 THEN '数字测试' WHEN 114 THEN '符号测试' END;
    SELECT * INTO v_user FROM "user" WHERE qe_key = v_me;

    INSERT INTO score (name, student_no, score_type, chinese_speed, english_speed, number_speed,
                       symbol_speed, seconds, accuracy)
    VALUES (v_user.name, v_user.student_no, v_label,
            CASE WHEN s.kind = 111 THEN CASE WHEN v_seconds = 0 THEN 0 ELSE v_correct / v_seconds END END,
            CASE WHEN s.kind = 112 THEN CASE WHEN v_seconds = 0 THEN 0 ELSE v_correct / v_seconds END END,
            CASE WHEN s.kind = 113 THEN CASE WHEN v_seconds = 0 THEN 0 ELSE v_correct / v_seconds END END,
            CASE WHEN s.kind = 114 THEN CASE WHEN v_seconds = 0 THEN 0 ELSE v_correct / v_seconds END END,
            v_seconds, v_accuracy)
    RETURNING qe_key INTO v_score;
    INSERT INTO score_owner (score_key, user_key) VALUES (v_score, v_me);
    INSERT INTO attempt (score_key, user_key, user_name, class_name, student_no, kind, text_file,
                         text_hash, started_at, ended_at, elapsed_ms, typed_units, correct_units,
                         backspaces, end_reason, key_median_ms, key_spread_ms, key_presses,
                         backspace_presses, checked)
    VALUES (v_score, v_me, coalesce(v_user.name, ''), coalesce(v_user.class, ''),
            coalesce(v_user.student_no, ''), s.kind, v_exam.title,
            encode(sha256(decode(replace(v_exam.screen_cells, ',', ''), 'hex')), 'hex'),
            s.started_at, v_now, v_speed_ms, v_typed, v_correct,
            least(greatest(coalesce(p_backspaces, 0), 0), coalesce(v_presses, 1000000)),
            CASE WHEN p_end_reason BETWEEN 1 AND 4 THEN p_end_reason ELSE 1 END,
            least(greatest(coalesce(p_key_median_ms, 0), 0), 3600000),
            least(greatest(coalesce(p_key_spread_ms, 0), 0), 3600000), v_presses,
            CASE WHEN v_presses IS NULL THEN NULL
                 ELSE least(greatest(coalesce(p_backspace_presses, 0), 0), v_presses) END, 1)
    RETURNING id INTO v_attempt;
    INSERT INTO attempt_text (attempt_id, text_id, screen, exam_id)
    VALUES (v_attempt, (SELECT id FROM practice_text WHERE id = v_exam.text_id), v_exam.screen,
            v_exam.id);
    INSERT INTO attempt_mistake (attempt_id, position, user_key, kind, expected, typed)
    SELECT v_attempt, i - 1, v_me, s.kind, coalesce(v_texts ->> (i - 1)::integer, ''),
           coalesce(v_typed_texts[i], qe_cell_text(v_typed_cells[i]))
    FROM generate_subscripts(v_typed_cells, 1) AS i
    WHERE v_typed_cells[i] <> '' AND v_typed_cells[i] IS DISTINCT FROM v_expected[i];
    UPDATE exam_sitting SET finished = 1, ended_at = v_now, elapsed_ms = v_used_ms,
        speed_ms = v_speed_ms, typed_units = v_typed, correct_units = v_correct,
        end_reason = CASE WHEN p_end_reason BETWEEN 1 AND 4 THEN p_end_reason ELSE 1 END,
        focus_losses = least(greatest(coalesce(p_focus_losses, 0), 0), 100000),
        attempt_id = v_attempt, late = v_late,
        key_median_ms = least(greatest(coalesce(p_key_median_ms, 0), 0), 3600000),
        key_spread_ms = least(greatest(coalesce(p_key_spread_ms, 0), 0), 3600000),
        key_presses = v_presses, flagged = v_flagged, flag_reason = s.flag_reason
    WHERE id = s.id;
    RETURN QUERY SELECT 'stored', coalesce(s.flag_reason, ''), v_typed, v_correct, v_used_ms,
                        v_speed_ms, v_late, v_flagged;
END
$$;
REVOKE ALL ON FUNCTION qe_finish_sitting(text, text[], text[], integer, integer, integer, integer,
    integer, integer, integer) FROM PUBLIC;

CREATE OR REPLACE FUNCTION qe_refuse_kept_result(p_uid text, p_reason text) RETURNS void
LANGUAGE plpgsql SECURITY DEFINER SET search_path FROM CURRENT
AS $$
DECLARE
    v_me bigint := qe_my_user_key();
    v_sitting exam_sitting%ROWTYPE;
BEGIN
    IF v_me IS NULL THEN
        RAISE EXCEPTION 'permission denied: only a pupil' USING ERRCODE = '42501';
    END IF;
    IF char_length(p_uid) > 64 OR char_length(p_reason) > 1000 THEN
        RAISE EXCEPTION 'a kept result''s uid or reason is too long' USING ERRCODE = 'QE006';
    END IF;
    SELECT * INTO v_sitting FROM exam_sitting WHERE uid = p_uid AND user_key = v_me;
    IF FOUND AND v_sitting.finished = 1 THEN
        RETURN;
    END IF;
    PERFORM qe_refuse_sitting(p_uid, v_sitting.exam_id, v_me, left(coalesce(p_reason, ''), 200));
END
$$;

-- A pupil's live report, as in version 9; its sizes are bounded first, and
-- an exam is named only where the pupil sits it.
CREATE OR REPLACE FUNCTION qe_report_progress(p_activity integer, p_kind integer,
                                              p_exam_id bigint, p_label text, p_screen integer,
                                              p_typed integer, p_correct integer,
                                              p_elapsed bigint, p_idle bigint,
                                              p_focus_lost integer, p_end integer)
RETURNS integer
LANGUAGE plpgsql SECURITY DEFINER SET search_path FROM CURRENT
AS $$
DECLARE
    v_me bigint := qe_my_user_key();
    v_user "user"%ROWTYPE;
    v_exam bigint;
BEGIN
    IF v_me IS NULL THEN
        RAISE EXCEPTION 'permission denied: only a pupil reports progress' USING ERRCODE = '42501';
    END IF;
    IF char_length(p_label) > 1000 THEN
        RAISE EXCEPTION 'a report''s label is too long' USING ERRCODE = 'QE006';
    END IF;
    -- The next report replaces this one: its commit does not wait for the disk.
    PERFORM set_config('synchronous_commit', 'off', true);
    SELECT * INTO v_user FROM "user" WHERE qe_key = v_me;
    SELECT DISTINCT exam_id INTO v_exam FROM exam_sitting
    WHERE exam_id = p_exam_id AND user_key = v_me;
    INSERT INTO live_progress AS l (user_key, user_name, class_name, activity, kind, exam_id,
                                    label, screen_units, typed_units, correct_units, elapsed_ms,
                                    idle_ms, focus_lost, end_reason, reported_at)
    VALUES (v_me, coalesce(v_user.name, ''), coalesce(v_user.class, ''),
            least(greatest(coalesce(p_activity, 0), 0), 3), coalesce(p_kind, 0), v_exam,
            left(coalesce(p_label, ''), 100),
            least(greatest(coalesce(p_screen, 0), 0), 1000000),
            least(greatest(coalesce(p_typed, 0), 0), 1000000),
            least(greatest(coalesce(p_correct, 0), 0), 1000000),
            least(greatest(coalesce(p_elapsed, 0), 0), 86400000),
            least(greatest(coalesce(p_idle, 0), 0), 86400000),
            CASE WHEN p_focus_lost = 0 THEN 0 ELSE 1 END,
            least(greatest(coalesce(p_end, 0), 0), 4), LOCALTIMESTAMP(3))
    ON CONFLICT (user_key) DO UPDATE SET user_name = EXCLUDED.user_name,
        class_name = EXCLUDED.class_name, activity = EXCLUDED.activity, kind = EXCLUDED.kind,
        exam_id = EXCLUDED.exam_id, label = EXCLUDED.label,
        screen_units = EXCLUDED.screen_units, typed_units = EXCLUDED.typed_units,
        correct_units = EXCLUDED.correct_units, elapsed_ms = EXCLUDED.elapsed_ms,
        idle_ms = EXCLUDED.idle_ms, focus_lost = EXCLUDED.focus_lost,
        end_reason = EXCLUDED.end_reason, reported_at = EXCLUDED.reported_at;
    IF p_activity = 0 THEN
        DELETE FROM live_progress WHERE reported_at < LOCALTIMESTAMP(3) - interval '1 day';
    END IF;
    PERFORM pg_notify('qe_live', '');
    RETURN CASE WHEN v_exam IS NOT NULL
                     AND EXISTS (SELECT 1 FROM exam_stop WHERE exam_id = v_exam)
                THEN 1 ELSE 0 END;
END
$$;

DO $$
DECLARE
    pupil text := quote_ident(qe_role('pupil'));
    teacher text := quote_ident(qe_role('teacher'));
BEGIN
    EXECUTE 'GRANT EXECUTE ON FUNCTION qe_store_practice(integer, text[], text[], text[], text[], '
            'integer, bigint, integer, integer, text, text, bigint, integer, integer, integer, '
            'integer, integer) TO ' || pupil;
    EXECUTE 'GRANT EXECUTE ON FUNCTION qe_store_lesson(text, integer, bigint, integer, integer, '
            'integer, integer, text[], text[], integer[]) TO ' || pupil;
    EXECUTE 'GRANT EXECUTE ON FUNCTION qe_clear_my_scores(bigint, integer) TO ' || pupil;
    EXECUTE 'GRANT EXECUTE ON FUNCTION qe_start_sitting(bigint, text) TO ' || pupil;
    EXECUTE 'GRANT EXECUTE ON FUNCTION qe_sitting_report(text, integer, text[], text[]) TO '
            || pupil;
    EXECUTE 'GRANT EXECUTE ON FUNCTION qe_finish_sitting(text, text[], text[], integer, integer, '
            'integer, integer, integer, integer, integer) TO ' || pupil;
    EXECUTE 'GRANT EXECUTE ON FUNCTION qe_set_registration(boolean) TO ' || teacher;
END
$$;
REVOKE ALL ON FUNCTION qe_start_sitting(bigint, text) FROM PUBLIC;

SELECT qe_apply_lab_limits();
