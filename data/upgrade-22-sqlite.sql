-- Version 22: each input-method commit keeps how many of its characters
-- were deleted afterwards (回改), which the figures of a Chinese practice
-- (回改, 键准) are counted from.
ALTER TABLE attempt_commit ADD COLUMN deleted INTEGER NOT NULL DEFAULT 0 CHECK (deleted >= 0);
