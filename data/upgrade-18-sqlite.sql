-- Version 18 keeps a server's doubt about a result beside it; a database
-- file doubts nothing, so its attempts keep checked = 1 and no doubt.
ALTER TABLE attempt ADD COLUMN doubt TEXT;
CREATE TABLE score_doubt (score_key INTEGER PRIMARY KEY);
