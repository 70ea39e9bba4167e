-- Version 11 on PostgreSQL, continued from upgrade-11-postgresql.sql (read
-- after it, in the same transaction): the account rules, the locks, the
-- pupil's clock, the roles' limits and the accounts' functions.

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
