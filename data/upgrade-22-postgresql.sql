-- Version 22 on PostgreSQL: each input-method commit keeps how many of its
-- characters were deleted afterwards (回改), and each attempt the tally of
-- its commits that 回改, 键准, 选重 and 打词率 are counted from (NULL: no
-- commit was kept): the commits, their characters deleted, the keys spent
-- on those (a commit's keys in the share of its characters deleted, rounded
-- down), the commits whose candidate was not the first, and the characters
-- standing from commits of two or more.

SELECT set_config('search_path', quote_ident(current_schema()) || ', pg_temp', true);

ALTER TABLE attempt_commit ADD COLUMN deleted integer NOT NULL DEFAULT 0
    CHECK (deleted >= 0);
ALTER TABLE attempt ADD COLUMN commit_count integer, ADD COLUMN commit_deleted integer,
    ADD COLUMN commit_deleted_keys integer, ADD COLUMN commit_picks integer,
    ADD COLUMN commit_word_chars integer;

-- An attempt's tally from its commits: the rule of the program's own
-- (CommitFigures::Tally), which the stored rows must give alike.
CREATE FUNCTION qe_tally_commits(p_attempt bigint)
RETURNS void
LANGUAGE sql SET search_path FROM CURRENT
AS $$
    UPDATE attempt a
    SET commit_count = t.commits, commit_deleted = t.deleted,
        commit_deleted_keys = t.deleted_keys, commit_picks = t.picks,
        commit_word_chars = t.word_chars
    FROM (SELECT count(*) AS commits, sum(deleted) AS deleted,
                 sum(CASE WHEN key_count > 0 AND deleted > 0
                          THEN key_count * deleted / char_length(committed) ELSE 0 END)
                     AS deleted_keys,
                 sum(CASE WHEN picked <> 0 THEN 1 ELSE 0 END) AS picks,
                 sum(CASE WHEN char_length(committed) >= 2
                          THEN char_length(committed) - deleted ELSE 0 END) AS word_chars
          FROM attempt_commit WHERE attempt_id = p_attempt) t
    WHERE a.id = p_attempt AND t.commits > 0;
$$;
REVOKE ALL ON FUNCTION qe_tally_commits(bigint) FROM PUBLIC;

-- The attempts kept so far, whose characters deleted were not counted.
SELECT qe_tally_commits(attempt_id) FROM (SELECT DISTINCT attempt_id FROM attempt_commit) kept;

-- The detail of an attempt the pupil has just stored, once: per key, four
-- figures a key (expected, presses, wrong, median ms or -1); per commit,
-- four (key count or -1, ms, how picked, characters deleted afterwards, at
-- most those committed). Refused (42501) for another's attempt, (QE201) a
-- second time, a minute after the attempt ended, or with more presses than
-- a person makes in the attempt's time; (QE006) beyond its size.
CREATE OR REPLACE FUNCTION qe_store_detail(p_attempt bigint, p_keys text[], p_key_figures integer[],
                                p_expected text[], p_committed text[], p_keys_typed text[],
                                p_commit_figures integer[])
RETURNS void
LANGUAGE plpgsql SECURITY DEFINER SET search_path FROM CURRENT SET TimeZone FROM CURRENT
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
       OR coalesce(cardinality(p_commit_figures), 0) <> 4 * v_commits
       OR EXISTS (SELECT 1 FROM unnest(p_keys) k WHERE k IS NULL OR char_length(k) NOT IN (1, 2))
       OR (SELECT count(DISTINCT k) FROM unnest(p_keys) k) <> v_keys
       OR EXISTS (SELECT 1 FROM unnest(p_expected || p_committed) t
                  WHERE t IS NULL OR char_length(t) > 16)
       OR EXISTS (SELECT 1 FROM unnest(p_keys_typed) t WHERE t IS NULL OR char_length(t) > 64)
       OR EXISTS (SELECT 1 FROM unnest(p_key_figures || p_commit_figures) n
                  WHERE n IS NULL OR n < -1 OR n > 86400000)
       OR EXISTS (SELECT 1 FROM generate_series(1, v_commits) i
                  WHERE p_commit_figures[4 * i] NOT BETWEEN 0 AND char_length(p_committed[i])) THEN
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
       OR (SELECT coalesce(sum(greatest(p_commit_figures[4 * i - 3], 0)), 0)
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
                                key_count, elapsed_ms, picked, deleted)
    SELECT p_attempt, v_me, i - 1, p_expected[i], p_committed[i], p_keys_typed[i],
           nullif(p_commit_figures[4 * i - 3], -1), greatest(p_commit_figures[4 * i - 2], 0),
           CASE WHEN p_commit_figures[4 * i - 1] IN (1, 2) THEN p_commit_figures[4 * i - 1] ELSE 0 END,
           p_commit_figures[4 * i]
    FROM generate_series(1, v_commits) i;
    PERFORM qe_tally_commits(p_attempt);
END
$$;
