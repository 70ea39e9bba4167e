-- Version 17 on PostgreSQL: a lab line per machine.
--
-- Each lab machine logs in before any account as a role of its own,
-- <p>_lab_<name>, a member of <p>_lab, which holds the rights and logs in
-- no more. A line has its own password, at most two connections and the
-- pupils' timeouts, so whatever a pupil does with one machine's line (its
-- password, its settings, its connections) reaches no other machine. The
-- owner issues a line with qe --lab-line NAME, which also gives a line
-- again: a new password, its settings reset and its sessions ended. Our
-- SQLSTATE of this version: QE007, registrations from one line too many.

SELECT set_config('search_path', quote_ident(current_schema()) || ', pg_temp', true);

CREATE TABLE lab_line (
    name text PRIMARY KEY CHECK (name ~ '^[a-z0-9][a-z0-9-]{0,15}$'),
    issued_at timestamp(3) NOT NULL DEFAULT LOCALTIMESTAMP(3)
);

-- The shared line of before logs in no more; its sessions are ended by the
-- upgrade before it began.
ALTER TABLE lab_config DROP COLUMN lab_connections;
DO $$
BEGIN
    EXECUTE format('ALTER ROLE %I NOLOGIN PASSWORD NULL CONNECTION LIMIT -1', qe_role('lab'));
    EXECUTE format('GRANT SELECT ON lab_line TO %I', qe_role('teacher'));
END
$$;

-- The limits of one machine's line: the pupils' timeouts and two
-- connections, one for the program and one while it signs in or out.
CREATE FUNCTION qe_limit_lab_line(p_role text) RETURNS void
LANGUAGE plpgsql SET search_path FROM CURRENT
AS $$
BEGIN
    PERFORM qe_limit_role(p_role, true);
    EXECUTE format('ALTER ROLE %I CONNECTION LIMIT 2', p_role);
END
$$;
REVOKE ALL ON FUNCTION qe_limit_lab_line(text) FROM PUBLIC;

-- Issues the line of one machine, or gives it again: run by the owner.
-- Returns the line's role.
CREATE FUNCTION qe_issue_lab_line(p_name text, p_verifier text) RETURNS text
LANGUAGE plpgsql SET search_path FROM CURRENT
AS $$
DECLARE
    v_role text := qe_role('lab_' || p_name);
BEGIN
    IF p_name IS NULL OR p_name !~ '^[a-z0-9][a-z0-9-]{0,15}$' THEN
        RAISE EXCEPTION '电脑的名字只能由小写字母、数字和连字符组成，最多16个字符。'
            USING ERRCODE = 'QE001';
    END IF;
    PERFORM qe_check_verifier(p_verifier);
    IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = v_role) THEN
        EXECUTE format('CREATE ROLE %I IN ROLE %I', v_role, qe_role('lab'));
    END IF;
    EXECUTE format('ALTER ROLE %I RESET ALL', v_role);
    EXECUTE format('ALTER ROLE %I LOGIN PASSWORD %L', v_role, p_verifier);
    PERFORM qe_limit_lab_line(v_role);
    INSERT INTO lab_line (name) VALUES (p_name)
    ON CONFLICT (name) DO UPDATE SET issued_at = LOCALTIMESTAMP(3);
    RETURN v_role;
END
$$;
REVOKE ALL ON FUNCTION qe_issue_lab_line(text, text) FROM PUBLIC;

-- Every role of the lab as lab_config says: run by the setup commands.
CREATE OR REPLACE FUNCTION qe_apply_lab_limits() RETURNS void
LANGUAGE plpgsql SET search_path FROM CURRENT
AS $$
DECLARE
    v_role text;
BEGIN
    FOR v_role IN
        SELECT r.rolname FROM pg_roles r
        WHERE r.rolname IN (SELECT qe_role('lab_' || name) FROM lab_line)
    LOOP
        PERFORM qe_limit_lab_line(v_role);
    END LOOP;
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

-- Registration while a teacher allows it: at most five accounts a minute
-- from one machine's line (or one pupil's session), so that a script on
-- a lab machine makes no thousand accounts and roles (QE007). The
-- registrations of a line count while their transaction stands.
CREATE TABLE lab_registration (
    line text NOT NULL,
    registered_at timestamp(3) NOT NULL DEFAULT LOCALTIMESTAMP(3)
);
CREATE INDEX lab_registration_by_line ON lab_registration (line, registered_at);

CREATE FUNCTION qe_check_registration_rate() RETURNS void
LANGUAGE plpgsql SET search_path FROM CURRENT
AS $$
BEGIN
    -- The owner and the teachers register without a limit.
    IF qe_my_super_key() IS NOT NULL OR EXISTS (
        SELECT 1 FROM pg_roles r WHERE r.rolname = session_user AND (r.rolsuper OR r.rolcreaterole)) THEN
        RETURN;
    END IF;
    DELETE FROM lab_registration
    WHERE line = session_user AND registered_at < LOCALTIMESTAMP - interval '1 minute';
    IF (SELECT count(*) FROM lab_registration WHERE line = session_user) >= 5 THEN
        RAISE EXCEPTION '这台电脑一分钟内注册的帐户太多,请过一会儿再注册。' USING ERRCODE = 'QE007';
    END IF;
    INSERT INTO lab_registration (line) VALUES (session_user);
END
$$;
REVOKE ALL ON FUNCTION qe_check_registration_rate() FROM PUBLIC;

-- qe_register keeps its body, the check of the rate put before its first
-- check of the name; the upgrade stops on a body it does not know.
DO $$
DECLARE
    v_function constant text := 'qe_register(text, text, text, text)';
    v_before constant text := '    PERFORM qe_check_account_text(p_name, ''用户姓名'', true);';
BEGIN
    PERFORM qe_rewrite_function(v_function, ARRAY[[v_before,
        '    PERFORM qe_check_registration_rate();' || chr(10) || v_before]]);
END
$$;

-- An exam's text is nobody's to read but the teachers' until its sittings
-- begin: while the exam is open, and before it was ever sat (an exam
-- prepared and not yet opened). A closed exam that pupils sat gives its
-- text back to the library.
CREATE OR REPLACE FUNCTION qe_text_in_open_exam(p_text bigint) RETURNS boolean
LANGUAGE sql STABLE SECURITY DEFINER SET search_path FROM CURRENT
AS $$
    SELECT EXISTS (SELECT 1 FROM exam e WHERE e.text_id = p_text
                   AND (e.is_open = 1
                        OR NOT EXISTS (SELECT 1 FROM exam_sitting s WHERE s.exam_id = e.id)))
$$;

-- The server tells its own stall from a pupil's silence. Each sitting keeps
-- the arrival times of its last 30 reports (its own row, as before: no
-- lock another pupil takes); cells after a silence of more than 15 s are
-- a doubt only when another sitting's report arrived while this one was
-- silent. When other sittings ran across the silence and none of theirs
-- arrived in it, the server was away for everybody, and nobody is flagged.
-- A lone sitting's silence cannot be told from the server's and stays a
-- doubt.
ALTER TABLE exam_sitting ADD COLUMN recent_reports timestamp(3)[] NOT NULL DEFAULT '{}';

CREATE FUNCTION qe_server_was_away(p_sitting bigint, p_from timestamp(3), p_to timestamp(3))
RETURNS boolean
LANGUAGE sql STABLE SET search_path FROM CURRENT
AS $$
    SELECT EXISTS (SELECT 1 FROM exam_sitting o
                   WHERE o.id <> p_sitting AND o.started_at <= p_from + interval '5 seconds'
                     AND coalesce(o.seen_at, o.started_at) >= p_from - interval '10 seconds')
       AND NOT EXISTS (SELECT 1 FROM exam_sitting o, unnest(o.recent_reports) r(at)
                       WHERE o.id <> p_sitting AND coalesce(o.seen_at, o.started_at) >= p_from
                         AND r.at > p_from + interval '5 seconds'
                         AND r.at < p_to - interval '5 seconds')
$$;
REVOKE ALL ON FUNCTION qe_server_was_away(bigint, timestamp, timestamp) FROM PUBLIC;

DO $$
DECLARE
    v_function constant text :=
        'qe_take_cells(bigint, integer, text[], text[], timestamp, boolean)';
    v_rewrites constant text[] := ARRAY[
        ['        ELSIF v_since_ms > 15000 THEN',
         '        ELSIF v_since_ms > 15000' || chr(10) ||
         '              AND NOT qe_server_was_away(p_id, coalesce(s.seen_at, s.started_at), p_now) THEN'],
        ['    UPDATE exam_sitting SET seen_pos = v_end, seen_at = p_now, reports = reports + 1,',
         '    UPDATE exam_sitting SET seen_pos = v_end, seen_at = p_now, reports = reports + 1,' || chr(10) ||
         '        recent_reports = (recent_reports || p_now)[greatest(1, cardinality(recent_reports) - 28):],']];
BEGIN
    PERFORM qe_rewrite_function(v_function, v_rewrites);
END
$$;

-- A kept result is the account's own: one whose sitting is another
-- account's (its account changed on the machine) is refused where the
-- teacher sees it, in that exam's results, and answered with the account
-- it belongs to ('anothers'), so that the program gives it back to that
-- account's login instead of setting it aside.
DO $$
DECLARE
    v_function constant text := 'qe_finish_sitting(text, text[], text[], integer, integer, '
                                'integer, integer, integer, integer, integer)';
    v_before constant text :=
        '    IF NOT FOUND THEN' || chr(10) ||
        '        PERFORM qe_refuse_sitting(p_uid, NULL, v_me, ''数据库中没有这次考试的开始记录'');';
BEGIN
    PERFORM qe_rewrite_function(v_function, ARRAY[[v_before,
        '    IF NOT FOUND AND EXISTS (SELECT 1 FROM exam_sitting WHERE uid = p_uid) THEN' || chr(10) ||
        '        PERFORM qe_refuse_sitting(p_uid, (SELECT exam_id FROM exam_sitting WHERE uid = p_uid),' || chr(10) ||
        '                                  v_me, ''本机保存的成绩属于另一个帐户,不能记在这个帐户下'');' || chr(10) ||
        '        RETURN QUERY SELECT ''anothers'', (SELECT user_key FROM exam_sitting WHERE uid = p_uid)::text,' || chr(10) ||
        '                            0, 0, 0::bigint, 0::bigint, 0, 0;' || chr(10) ||
        '        RETURN;' || chr(10) ||
        '    END IF;' || chr(10) || v_before]]);
END
$$;

-- Practices and lessons timed by the server. The pupil's program begins an
-- attempt on the server at the space bar (qe_begin_attempt, off the
-- window's thread); the store takes the server's time since that begin
-- where it is shorter than the program's, and closes the attempt: one is
-- open per pupil, a new begin replacing it. A store with no begin before
-- it keeps the program's time but is not checked (checked = 0): it counts
-- for no lesson's progress and no assignment. The bound of what a person
-- types has no slack but two cells: no short screen gets through.
ALTER TABLE pupil_clock ADD COLUMN begun_at timestamp(3);

CREATE FUNCTION qe_begin_attempt() RETURNS timestamp(3)
LANGUAGE plpgsql SECURITY DEFINER SET search_path FROM CURRENT
AS $$
DECLARE
    v_me bigint := qe_my_user_key();
    v_now timestamp(3) := LOCALTIMESTAMP(3);
BEGIN
    IF v_me IS NULL THEN
        RAISE EXCEPTION 'permission denied: only a pupil begins a practice' USING ERRCODE = '42501';
    END IF;
    PERFORM qe_lock_pupil_clock(v_me);
    UPDATE pupil_clock SET begun_at = v_now WHERE user_key = v_me;
    RETURN v_now;
END
$$;
REVOKE ALL ON FUNCTION qe_begin_attempt() FROM PUBLIC;

-- The server's time of the pupil's open attempt until p_now, which it
-- closes; NULL when none is open.
CREATE FUNCTION qe_close_attempt(p_key bigint, p_now timestamp(3)) RETURNS bigint
LANGUAGE plpgsql SET search_path FROM CURRENT
AS $$
DECLARE
    v_begun timestamp(3);
BEGIN
    PERFORM qe_lock_pupil_clock(p_key);
    SELECT begun_at INTO v_begun FROM pupil_clock WHERE user_key = p_key;
    UPDATE pupil_clock SET begun_at = NULL WHERE user_key = p_key;
    RETURN floor(extract(epoch FROM (p_now - v_begun)) * 1000)::bigint;
END
$$;
REVOKE ALL ON FUNCTION qe_close_attempt(bigint, timestamp) FROM PUBLIC;

DO $$
BEGIN
    EXECUTE format('GRANT EXECUTE ON FUNCTION qe_begin_attempt() TO %I', qe_role('pupil'));
END
$$;

-- The two stores keep their bodies but for these expressions; the upgrade
-- stops on a body it does not know.
DO $$
DECLARE
    v_close constant text :=
        '    v_server_ms := qe_close_attempt(v_me, v_now);' || chr(10) ||
        '    IF v_server_ms < p_elapsed_ms THEN' || chr(10) ||
        '        p_elapsed_ms := v_server_ms;' || chr(10);
BEGIN
    PERFORM qe_rewrite_function(
        'qe_store_practice(integer, text[], text[], text[], text[], integer, bigint, integer, '
        'integer, text, text, bigint, integer, integer, integer, integer, integer)',
        ARRAY[
        ['#variable_conflict use_column' || chr(10) || 'DECLARE' || chr(10),
         '#variable_conflict use_column' || chr(10) || 'DECLARE' || chr(10) ||
         '    v_server_ms bigint;' || chr(10)],
        ['only a pupil stores a practice'' USING ERRCODE = ''42501'';' || chr(10) || '    END IF;' || chr(10),
         'only a pupil stores a practice'' USING ERRCODE = ''42501'';' || chr(10) || '    END IF;' || chr(10) ||
         v_close || '        p_seconds := least(p_seconds, (v_server_ms / 1000)::integer);' || chr(10) ||
         '    END IF;' || chr(10)],
        ['    IF v_typed > 20 + v_per_minute * p_elapsed_ms / 60000.0' || chr(10) ||
         '       OR v_typed > 20 + v_per_minute * p_seconds / 60.0 THEN',
         '    IF v_typed > 2 + v_per_minute * p_elapsed_ms / 60000.0' || chr(10) ||
         '       OR v_typed > 2 + v_per_minute * (p_seconds + 1) / 60.0 THEN'],
        ['ELSE least(greatest(coalesce(p_backspace_presses, 0), 0), v_presses) END, 1)',
         'ELSE least(greatest(coalesce(p_backspace_presses, 0), 0), v_presses) END,' || chr(10) ||
         '            CASE WHEN v_server_ms IS NULL THEN 0 ELSE 1 END)']]);
    PERFORM qe_rewrite_function(
        'qe_store_lesson(text, integer, bigint, integer, integer, integer, integer, text[], '
        'text[], integer[])',
        ARRAY[
        ['#variable_conflict use_column' || chr(10) || 'DECLARE' || chr(10),
         '#variable_conflict use_column' || chr(10) || 'DECLARE' || chr(10) ||
         '    v_server_ms bigint;' || chr(10)],
        ['only a pupil stores a lesson'' USING ERRCODE = ''42501'';' || chr(10) || '    END IF;' || chr(10),
         'only a pupil stores a lesson'' USING ERRCODE = ''42501'';' || chr(10) || '    END IF;' || chr(10) ||
         v_close || '    END IF;' || chr(10)],
        ['IF v_lesson.keys > 20 + 750 * p_elapsed_ms / 60000.0 THEN',
         'IF v_lesson.keys > 2 + 750 * p_elapsed_ms / 60000.0 THEN'],
        ['ELSE least(greatest(coalesce(p_backspace_presses, 0), 0), p_key_presses) END, 1)',
         'ELSE least(greatest(coalesce(p_backspace_presses, 0), 0), p_key_presses) END,' || chr(10) ||
         '            CASE WHEN v_server_ms IS NULL THEN 0 ELSE 1 END)']]);
END
$$;

-- A lesson of characters, whoever stores it, as fast as a person types.
CREATE OR REPLACE FUNCTION qe_lesson_at_human_speed() RETURNS trigger
LANGUAGE plpgsql SECURITY DEFINER SET search_path FROM CURRENT
AS $$
BEGIN
    IF EXISTS (SELECT 1 FROM course_lesson c
               WHERE c.course = NEW.course AND c.lesson = NEW.lesson AND c.unit = '字'
                 AND NEW.correct_keys > 2 + 250 * NEW.elapsed_ms / 60000.0) THEN
        RAISE EXCEPTION '这一课比人能打的还快(每分钟超过250字),不能保存。' USING ERRCODE = 'QE201';
    END IF;
    RETURN NEW;
END
$$;

-- The functions a pupil or a lab line calls keep the server's time zone
-- (the one of this upgrade's session), whatever a session sets: a pupil's
-- session moved across the date line between a practice's begin and its
-- store, or a sitting's start and its end, made the server's own clock
-- (LOCALTIMESTAMP) disagree with itself by a day. Functions of later
-- versions keep it too (SET TimeZone FROM CURRENT).
DO $$
DECLARE
    v_function regprocedure;
BEGIN
    FOR v_function IN
        SELECT p.oid::regprocedure FROM pg_proc p
        WHERE p.pronamespace = current_schema()::regnamespace AND p.prosecdef
    LOOP
        EXECUTE format('ALTER FUNCTION %s SET TimeZone FROM CURRENT', v_function);
    END LOOP;
END
$$;

-- One rule of names and classes, the program's (AccountRules::
-- CheckPupilName): after the checks of before, only letters of the
-- writing systems a school's names use (Latin, Greek, Cyrillic, Han, kana),
-- digits, a middle dot, brackets and spaces (an ideographic one too)
-- inside; no two look-alike
-- alphabets in one word; no space before or after. Nothing a spreadsheet
-- takes for a formula ("=1+2", "@SUM"), nothing unassigned, no marks or
-- selectors that draw nothing.
CREATE FUNCTION qe_check_visible_text(p_text text, p_what text) RETURNS void
LANGUAGE plpgsql IMMUTABLE SET search_path FROM CURRENT
AS $$
DECLARE
    v_bad text;
    v_word text;
BEGIN
    -- A pupil's name and class; a super user's name is the teachers' own.
    IF coalesce(p_text, '') = '' OR p_what NOT IN ('用户姓名', '班级名称') THEN
        RETURN;
    END IF;
    IF p_text ~ '^[\s\u0085\u00a0\u1680\u2000-\u200a\u2028\u2029\u202f\u205f\u3000]'
       OR p_text ~ '[\s\u0085\u00a0\u1680\u2000-\u200a\u2028\u2029\u202f\u205f\u3000]$' THEN
        RAISE EXCEPTION '%的前后不能有空格,请重新输入!', p_what USING ERRCODE = 'QE001';
    END IF;
    v_bad := substring(p_text FROM '[^A-Za-z0-9\u00c0-\u00d6\u00d8-\u00f6\u00f8-\u024f\u0391-\u03a1\u03a3-\u03a9\u03b1-\u03c9\u0401\u0410-\u044f\u0451\u3007\u3041-\u3096\u30a1-\u30fa\u30fc\u3400-\u4dbf\u4e00-\u9fff\uf900-\ufaff\uff10-\uff19\U00020000-\U0002fa1f\u00b7\u30fb()\uff08\uff09 \u3000]');
    IF v_bad IS NOT NULL THEN
        RAISE EXCEPTION '%中有不能用的字符 U+%(只能用汉字、字母、数字、括号、间隔号“·”和中间的空格),请重新输入!',
            p_what, upper(lpad(to_hex(ascii(v_bad)), greatest(4, length(to_hex(ascii(v_bad)))), '0'))
            USING ERRCODE = 'QE001';
    END IF;
    FOR v_word IN SELECT w FROM regexp_split_to_table(p_text, '[ \u3000\u00b7\u30fb()\uff08\uff09]+') w LOOP
        IF (v_word ~ '[A-Za-z\u00c0-\u00d6\u00d8-\u00f6\u00f8-\u024f]')::integer
           + (v_word ~ '[\u0391-\u03a1\u03a3-\u03a9\u03b1-\u03c9]')::integer
           + (v_word ~ '[\u0401\u0410-\u044f\u0451]')::integer > 1 THEN
            RAISE EXCEPTION '%的“%”中混用了看起来一样的不同字母(如拉丁字母和西里尔字母),请重新输入!',
                p_what, v_word USING ERRCODE = 'QE001';
        END IF;
    END LOOP;
END
$$;
REVOKE ALL ON FUNCTION qe_check_visible_text(text, text) FROM PUBLIC;

DO $$
DECLARE
    v_function constant text := 'qe_check_account_text(text, text, boolean)';
    v_after constant text := '中没有看得见的字符,请重新输入!'', p_what USING ERRCODE = ''QE001'';'
                             || chr(10) || '    END IF;' || chr(10);
BEGIN
    PERFORM qe_rewrite_function(v_function, ARRAY[[v_after,
        v_after || '    PERFORM qe_check_visible_text(p_text, p_what);' || chr(10)]]);
END
$$;
