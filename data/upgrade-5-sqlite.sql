-- Version 5: each exam sitting's own random key. An exam result that the
-- database could not take is kept on the pupil's machine, sealed with this
-- key, which never leaves the program and the database; a kept result whose
-- seal does not match (edited, or made up) is not stored. Sittings of
-- earlier versions have none.

ALTER TABLE exam_sitting ADD COLUMN seal_key TEXT;
