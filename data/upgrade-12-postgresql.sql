-- Version 12: what the keys behind an attempt tell, kept beside it instead
-- of the keys themselves.

-- Per key of a US keyboard ("a", ";", " "), or two letters typed one after
-- the other ("th", timed only): how often it was the key to type, how
-- often it was pressed, how often where another was expected, and the
-- median time from the key before over its right presses (NULL: none).
CREATE TABLE attempt_key (
    attempt_id bigint NOT NULL REFERENCES attempt (id) ON DELETE CASCADE,
    user_key bigint NOT NULL,
    key_name text NOT NULL,
    expected integer NOT NULL,
    presses integer NOT NULL,
    wrong integer NOT NULL,
    median_ms integer,
    PRIMARY KEY (attempt_id, key_name)
);
CREATE INDEX attempt_key_by_user ON attempt_key (user_key, key_name);

-- Per input-method commit of a Chinese practice, in order: the text it was
-- to type, the text committed, the keys pressed for it as shown ("wo␣") and
-- how many (NULL: the platform does not show them), the time from the
-- commit before, and how the candidate was chosen (0 the first, 1 by a
-- digit, 2 after an arrow or page key).
CREATE TABLE attempt_commit (
    attempt_id bigint NOT NULL REFERENCES attempt (id) ON DELETE CASCADE,
    user_key bigint NOT NULL,
    position integer NOT NULL,
    expected text NOT NULL,
    committed text NOT NULL,
    keys_typed text NOT NULL,
    key_count integer,
    elapsed_ms integer NOT NULL,
    picked integer NOT NULL,
    PRIMARY KEY (attempt_id, position)
);
CREATE INDEX attempt_commit_by_user ON attempt_commit (user_key, expected);

-- The same per key for a lesson of the course.
CREATE TABLE lesson_key (
    lesson_attempt_id bigint NOT NULL REFERENCES lesson_attempt (id) ON DELETE CASCADE,
    user_key bigint NOT NULL,
    key_name text NOT NULL,
    expected integer NOT NULL,
    presses integer NOT NULL,
    wrong integer NOT NULL,
    median_ms integer,
    PRIMARY KEY (lesson_attempt_id, key_name)
);
CREATE INDEX lesson_key_by_user ON lesson_key (user_key, key_name);

-- The keys of practices and lessons alike, by the pupil, when and where
-- from (lesson 1: source_id is a lesson_attempt's); read with the reader's
-- own rights.
CREATE VIEW key_figures WITH (security_invoker = true) AS
    SELECT a.user_key, a.started_at, 0 AS lesson, a.id AS source_id, k.key_name, k.expected,
           k.presses, k.wrong, k.median_ms
    FROM attempt a JOIN attempt_key k ON k.attempt_id = a.id
    UNION ALL
    SELECT l.user_key, l.started_at, 1, l.id, k.key_name, k.expected, k.presses, k.wrong,
           k.median_ms
    FROM lesson_attempt l JOIN lesson_key k ON k.lesson_attempt_id = l.id;

-- A pupil reads the detail of their own attempts, a teacher every pupil's;
-- nobody writes it but the functions below.
ALTER TABLE attempt_key ENABLE ROW LEVEL SECURITY;
ALTER TABLE attempt_commit ENABLE ROW LEVEL SECURITY;
ALTER TABLE lesson_key ENABLE ROW LEVEL SECURITY;
DO $$
DECLARE
    pupil text := quote_ident(qe_role('pupil'));
    teacher text := quote_ident(qe_role('teacher'));
BEGIN
    EXECUTE 'GRANT SELECT ON attempt_key, attempt_commit, lesson_key, key_figures TO ' || pupil
            || ', ' || teacher;
    EXECUTE 'CREATE POLICY pupil_reads_own ON lesson_key FOR SELECT TO ' || pupil
            || ' USING (user_key = (SELECT qe_my_user_key()))';
    EXECUTE 'CREATE POLICY teacher_reads ON lesson_key FOR SELECT TO ' || teacher
            || ' USING (true)';
    EXECUTE 'CREATE POLICY pupil_reads_own ON attempt_key FOR SELECT TO ' || pupil
            || ' USING (user_key = (SELECT qe_my_user_key()))';
    EXECUTE 'CREATE POLICY teacher_reads ON attempt_key FOR SELECT TO ' || teacher
            || ' USING (true)';
    EXECUTE 'CREATE POLICY pupil_reads_own ON attempt_commit FOR SELECT TO ' || pupil
            || ' USING (user_key = (SELECT qe_my_user_key()))';
    EXECUTE 'CREATE POLICY teacher_reads ON attempt_commit FOR SELECT TO ' || teacher
            || ' USING (true)';
END
$$;

-- The detail of an attempt the pupil has just stored, once: per key, four
-- figures a key (expected, presses, wrong, median ms or -1); per commit,
-- three (key count or -1, ms, how picked). Refused (42501) for another's
-- attempt, (QE201) a second time, a minute after the attempt ended, or with
-- more presses than a person makes in the attempt's time; (QE006) beyond
-- its size.
CREATE FUNCTION qe_store_detail(p_attempt bigint, p_keys text[], p_key_figures integer[],
                                p_expected text[], p_committed text[], p_keys_typed text[],
                                p_commit_figures integer[])
RETURNS void
LANGUAGE plpgsql SECURITY DEFINER SET search_path FROM CURRENT
AS $$
DECLARE
    v_me bigint := qe_my_user_key();
    v_keys integer := coalesce(cardinality(p_keys), 0);
    v_commits integer := coalesce(cardinality(p_expected), 0);
    v_attempt attempt%ROWTYPE;
    v_most integer;
BEGIN
    IF v_me IS NULL THEN
        RAISE EXCEPTION 'permission denied: only a pupil stores the keys of an attempt'
            USING ERRCODE = '42501';
    END IF;
    IF v_keys > 800 OR v_commits > 1288
       OR coalesce(cardinality(p_key_figures), 0) <> 4 * v_keys
       OR coalesce(cardinality(p_committed), 0) <> v_commits
       OR coalesce(cardinality(p_keys_typed), 0) <> v_commits
       OR coalesce(cardinality(p_commit_figures), 0) <> 3 * v_commits
       OR EXISTS (SELECT 1 FROM unnest(p_keys) k WHERE k IS NULL OR char_length(k) NOT IN (1, 2))
       OR (SELECT count(DISTINCT k) FROM unnest(p_keys) k) <> v_keys
       OR EXISTS (SELECT 1 FROM unnest(p_expected || p_committed) t
                  WHERE t IS NULL OR char_length(t) > 16)
       OR EXISTS (SELECT 1 FROM unnest(p_keys_typed) t WHERE t IS NULL OR char_length(t) > 64)
       OR EXISTS (SELECT 1 FROM unnest(p_key_figures || p_commit_figures) n
                  WHERE n IS NULL OR n < -1 OR n > 86400000) THEN
        RAISE EXCEPTION '按键记录的内容超出了范围' USING ERRCODE = 'QE006';
    END IF;
    SELECT * INTO v_attempt FROM attempt WHERE id = p_attempt AND user_key = v_me;
    IF NOT FOUND THEN
        RAISE EXCEPTION 'permission denied: the keys of one''s own attempt only'
            USING ERRCODE = '42501';
    END IF;
    IF v_attempt.ended_at < LOCALTIMESTAMP(3) - interval '1 minute' THEN
        RAISE EXCEPTION '这次练习的按键记录来得太晚,不能保存。' USING ERRCODE = 'QE201';
    END IF;
    IF EXISTS (SELECT 1 FROM attempt_key WHERE attempt_id = p_attempt)
       OR EXISTS (SELECT 1 FROM attempt_commit WHERE attempt_id = p_attempt) THEN
        RAISE EXCEPTION '这次练习的按键记录已经保存过了。' USING ERRCODE = 'QE201';
    END IF;
    -- No more presses than a person makes in the time: 20 keys a second.
    v_most := 20 * (v_attempt.elapsed_ms / 1000 + 1);
    IF (SELECT coalesce(sum(p_key_figures[4 * i - 2]), 0)
        FROM generate_series(1, v_keys) i WHERE char_length(p_keys[i]) = 1) > v_most
       OR (SELECT coalesce(sum(greatest(p_commit_figures[3 * i - 2], 0)), 0)
           FROM generate_series(1, v_commits) i) > v_most
       OR v_commits > v_most THEN
        RAISE EXCEPTION '按键记录比人能打的还多,不能保存。' USING ERRCODE = 'QE201';
    END IF;
    INSERT INTO attempt_key (attempt_id, user_key, key_name, expected, presses, wrong, median_ms)
    SELECT p_attempt, v_me, p_keys[i], greatest(p_key_figures[4 * i - 3], 0),
           greatest(p_key_figures[4 * i - 2], 0), greatest(p_key_figures[4 * i - 1], 0),
           nullif(p_key_figures[4 * i], -1)
    FROM generate_series(1, v_keys) i;
    INSERT INTO attempt_commit (attempt_id, user_key, position, expected, committed, keys_typed,
                                key_count, elapsed_ms, picked)
    SELECT p_attempt, v_me, i - 1, p_expected[i], p_committed[i], p_keys_typed[i],
           nullif(p_commit_figures[3 * i - 2], -1), greatest(p_commit_figures[3 * i - 1], 0),
           CASE WHEN p_commit_figures[3 * i] IN (1, 2) THEN p_commit_figures[3 * i] ELSE 0 END
    FROM generate_series(1, v_commits) i;
END
$$;
REVOKE ALL ON FUNCTION qe_store_detail(bigint, text[], integer[], text[], text[], text[],
    integer[]) FROM PUBLIC;
DO $$
BEGIN
    EXECUTE 'GRANT EXECUTE ON FUNCTION qe_store_detail(bigint, text[], integer[], text[], text[], '
            'text[], integer[]) TO ' || quote_ident(qe_role('pupil'));
END
$$;

-- The keys of a lesson the pupil has just stored, once, as qe_store_detail
-- keeps those of a practice.
CREATE FUNCTION qe_store_lesson_keys(p_lesson bigint, p_keys text[], p_key_figures integer[])
RETURNS void
LANGUAGE plpgsql SECURITY DEFINER SET search_path FROM CURRENT
AS $$
DECLARE
    v_me bigint := qe_my_user_key();
    v_keys integer := coalesce(cardinality(p_keys), 0);
    v_lesson lesson_attempt%ROWTYPE;
BEGIN
    IF v_me IS NULL THEN
        RAISE EXCEPTION 'permission denied: only a pupil stores the keys of a lesson'
            USING ERRCODE = '42501';
    END IF;
    IF v_keys > 800 OR coalesce(cardinality(p_key_figures), 0) <> 4 * v_keys
       OR EXISTS (SELECT 1 FROM unnest(p_keys) k WHERE k IS NULL OR char_length(k) NOT IN (1, 2))
       OR (SELECT count(DISTINCT k) FROM unnest(p_keys) k) <> v_keys
       OR EXISTS (SELECT 1 FROM unnest(p_key_figures) n
                  WHERE n IS NULL OR n < -1 OR n > 86400000) THEN
        RAISE EXCEPTION '按键记录的内容超出了范围' USING ERRCODE = 'QE006';
    END IF;
    SELECT * INTO v_lesson FROM lesson_attempt WHERE id = p_lesson AND user_key = v_me;
    IF NOT FOUND THEN
        RAISE EXCEPTION 'permission denied: the keys of one''s own lesson only'
            USING ERRCODE = '42501';
    END IF;
    IF v_lesson.ended_at < LOCALTIMESTAMP(3) - interval '1 minute' THEN
        RAISE EXCEPTION '这一课的按键记录来得太晚,不能保存。' USING ERRCODE = 'QE201';
    END IF;
    IF EXISTS (SELECT 1 FROM lesson_key WHERE lesson_attempt_id = p_lesson) THEN
        RAISE EXCEPTION '这一课的按键记录已经保存过了。' USING ERRCODE = 'QE201';
    END IF;
    IF (SELECT coalesce(sum(p_key_figures[4 * i - 2]), 0)
        FROM generate_series(1, v_keys) i WHERE char_length(p_keys[i]) = 1)
       > 20 * (v_lesson.elapsed_ms / 1000 + 1) THEN
        RAISE EXCEPTION '按键记录比人能打的还多,不能保存。' USING ERRCODE = 'QE201';
    END IF;
    INSERT INTO lesson_key (lesson_attempt_id, user_key, key_name, expected, presses, wrong,
                            median_ms)
    SELECT p_lesson, v_me, p_keys[i], greatest(p_key_figures[4 * i - 3], 0),
           greatest(p_key_figures[4 * i - 2], 0), greatest(p_key_figures[4 * i - 1], 0),
           nullif(p_key_figures[4 * i], -1)
    FROM generate_series(1, v_keys) i;
END
$$;
REVOKE ALL ON FUNCTION qe_store_lesson_keys(bigint, text[], integer[]) FROM PUBLIC;
DO $$
BEGIN
    EXECUTE 'GRANT EXECUTE ON FUNCTION qe_store_lesson_keys(bigint, text[], integer[]) TO '
            || quote_ident(qe_role('pupil'));
END
$$;
