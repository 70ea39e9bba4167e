-- Version 14 on SQLite: the accuracy is correct × 100 / typed in integers
-- everywhere; the scores stored with the old floating-point quotient (57 of
-- 100 kept as 56) are mended from their attempts' own counts.
UPDATE score SET accuracy = a.correct_units * 100 / a.typed_units
FROM attempt a
WHERE a.score_key = score.qe_key AND a.typed_units > 0
  AND score.accuracy IS NOT a.correct_units * 100 / a.typed_units;
