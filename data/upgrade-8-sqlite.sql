-- Version 8 on SQLite: the physical key presses of a practice (Backspace
-- among them), counted before an input method takes them, for 击键 and 码长.
-- NULL where the platform did not show them.

ALTER TABLE attempt ADD COLUMN key_presses INTEGER;
ALTER TABLE attempt ADD COLUMN backspace_presses INTEGER;
ALTER TABLE lesson_attempt ADD COLUMN key_presses INTEGER;
ALTER TABLE lesson_attempt ADD COLUMN backspace_presses INTEGER;
