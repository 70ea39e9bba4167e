-- Version 22: each input-method commit keeps how many of its characters
-- were deleted afterwards (回改), and each attempt the tally of its commits
-- that 回改, 键准, 选重 and 打词率 are counted from (NULL: no commit was
-- kept): the commits, their characters deleted, the keys spent on those (a
-- commit's keys in the share of its characters deleted, rounded down), the
-- commits whose candidate was not the first, and the characters standing
-- from commits of two or more.
ALTER TABLE attempt_commit ADD COLUMN deleted INTEGER NOT NULL DEFAULT 0 CHECK (deleted >= 0);
ALTER TABLE attempt ADD COLUMN commit_count INTEGER;
ALTER TABLE attempt ADD COLUMN commit_deleted INTEGER;
ALTER TABLE attempt ADD COLUMN commit_deleted_keys INTEGER;
ALTER TABLE attempt ADD COLUMN commit_picks INTEGER;
ALTER TABLE attempt ADD COLUMN commit_word_chars INTEGER;

-- The attempts kept so far, whose characters deleted were not counted.
UPDATE attempt
SET commit_count = (SELECT COUNT(*) FROM attempt_commit c WHERE c.attempt_id = attempt.id),
    commit_deleted = 0,
    commit_deleted_keys = 0,
    commit_picks = (SELECT SUM(CASE WHEN picked <> 0 THEN 1 ELSE 0 END) FROM attempt_commit c
                    WHERE c.attempt_id = attempt.id),
    commit_word_chars = (SELECT SUM(CASE WHEN length(committed) >= 2 THEN length(committed)
                                    ELSE 0 END) FROM attempt_commit c
                         WHERE c.attempt_id = attempt.id)
WHERE id IN (SELECT attempt_id FROM attempt_commit);
