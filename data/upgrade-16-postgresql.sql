-- Version 16: the server's rules say what the program's say.
-- An exam sitting's accuracy is qe_accuracy, as every other stored figure's
-- (the sitting's store wrote the same quotient out on its own). Its body is
-- otherwise kept: it is rewritten only where it is the text version 11
-- wrote, and the upgrade stops on anything else.
DO $$
DECLARE
    v_old constant text := 'CASE WHEN v_typed = 0 THEN 0 ELSE (v_correct * 100) / v_typed END';
    v_def text := pg_get_functiondef('qe_finish_sitting(text, text[], text[], integer, integer, '
                                     'integer, integer, integer, integer, integer)'::regprocedure);
BEGIN
    IF position(v_old IN v_def) = 0 THEN
        RAISE EXCEPTION 'qe_finish_sitting is not the function this upgrade knows';
    END IF;
    EXECUTE replace(v_def, v_old, 'qe_accuracy(v_correct, v_typed)');
END
$$;

-- A name's length counts a character GBK cannot hold as the one byte ('?')
-- the program counts, not as its bytes of UTF-8.
CREATE OR REPLACE FUNCTION qe_gbk_bytes(p_text text) RETURNS integer
LANGUAGE plpgsql IMMUTABLE SET search_path FROM CURRENT
AS $$
DECLARE
    v_bytes integer := 0;
    v_char text;
BEGIN
    RETURN octet_length(convert_to(p_text, 'GBK'));
EXCEPTION WHEN OTHERS THEN
    -- Character by character, as far as any limit reaches.
    FOREACH v_char IN ARRAY regexp_split_to_array(left(p_text, 400), '') LOOP
        BEGIN
            v_bytes := v_bytes + octet_length(convert_to(v_char, 'GBK'));
        EXCEPTION WHEN OTHERS THEN
            v_bytes := v_bytes + 1;
        END;
    END LOOP;
    RETURN v_bytes + greatest(char_length(p_text) - 400, 0);
END
$$;

-- A name or class of nothing but combining marks shows nothing, as the
-- program says: the marks of the common combining blocks count as blank.
CREATE OR REPLACE FUNCTION qe_check_account_text(p_text text, p_what text, p_required boolean)
RETURNS void
LANGUAGE plpgsql IMMUTABLE SET search_path FROM CURRENT
AS $$
BEGIN
    IF p_required AND coalesce(p_text, '') = '' THEN
        RAISE EXCEPTION '%不能为空,请输入!', p_what USING ERRCODE = 'QE001';
    END IF;
    IF char_length(coalesce(p_text, '')) > 199 OR qe_gbk_bytes(coalesce(p_text, '')) > 199 THEN
        RAISE EXCEPTION '%太长,请重新输入!', p_what USING ERRCODE = 'QE001';
    END IF;
    IF p_text ~ '[\u0001-\u001f\u007f-\u009f]' THEN
        RAISE EXCEPTION '%中有控制字符(如换行符、制表符),请重新输入!', p_what
            USING ERRCODE = 'QE001';
    END IF;
    IF p_text ~ '[\u00ad\u0600-\u0605\u061c\u06dd\u070f\u08e2\u180e\u200b-\u200f\u2028-\u202e\u2060-\u2064\u2066-\u206f\ufeff\ufff9-\ufffb]' THEN
        RAISE EXCEPTION '%中有看不见的字符(如文字方向符、零宽字符),请重新输入!', p_what
            USING ERRCODE = 'QE001';
    END IF;
    IF p_text ~ '[\ue000-\uf8ff\U000f0000-\U0010ffff]' THEN
        RAISE EXCEPTION '%中有无法显示的字符,请重新输入!', p_what USING ERRCODE = 'QE001';
    END IF;
    IF coalesce(p_text, '') <> ''
       AND p_text !~ '[^[:space:]\u115f\u1160\u3164\uffa0\u2800\u0300-\u036f\u0483-\u0489\u1ab0-\u1aff\u1dc0-\u1dff\u20d0-\u20ff\u302a-\u302f\u3099\u309a\ufe20-\ufe2f]' THEN
        RAISE EXCEPTION '%中没有看得见的字符,请重新输入!', p_what USING ERRCODE = 'QE001';
    END IF;
END
$$;
