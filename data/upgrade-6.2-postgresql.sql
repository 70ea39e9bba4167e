-- Version 6 on PostgreSQL, continued from upgrade-6-postgresql.sql (read
-- after it, in the same transaction): the accounts' roles, registration, the
-- login log and the teacher's functions.

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
