-- Run on a PostgreSQL server only, after the schema: what the server itself enforces of the
-- history and the audit, whatever program or role writes to them.

-- Whether the session's login role is the database's owner (or acts with its rights): the one
-- who set the database up, and so the one who may repair what is stored.
CREATE OR REPLACE FUNCTION tarvo_session_is_owner() RETURNS boolean LANGUAGE sql STABLE AS $$
    SELECT pg_catalog.pg_has_role(session_user, d.datdba, 'USAGE')
    FROM pg_catalog.pg_database d WHERE d.datname = pg_catalog.current_database()
$$;

-- Each row is stamped with the role the server authenticated, whatever the row says. The
-- trigger runs only for a row that names another role (or none): the program names the role it
-- logged in as, so an import's rows pass by the trigger's condition alone.
CREATE OR REPLACE FUNCTION tarvo_stamp_session() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
    NEW.cSessionUser := session_user;
    RETURN NEW;
END
$$;

-- A role other than the owner may write rows only of the operators tied to it. Checked once a
-- statement over all the rows it added (transition table tarvo_added), so that a thousand rows
-- cost one look-up and one refused row refuses the statement whole. The operators are read
-- from the table's own schema: a temporary table of the same name cannot stand in.
CREATE OR REPLACE FUNCTION tarvo_check_operators() RETURNS trigger LANGUAGE plpgsql AS $$
DECLARE
    refused boolean;
    stranger text;
BEGIN
    IF NOT tarvo_session_is_owner() THEN
        EXECUTE format('SELECT true, a.cUserId FROM tarvo_added a WHERE NOT EXISTS (SELECT 1 '
                       'FROM %I.tarvo_user u WHERE u.cUser_Id = a.cUserId AND u.cDbRole = $1) '
                       'LIMIT 1', TG_TABLE_SCHEMA)
            INTO refused, stranger USING session_user::text;
        IF refused THEN
            RAISE EXCEPTION USING ERRCODE = '42501',
                MESSAGE = format('role %s may not act as operator %s', session_user, stranger);
        END IF;
    END IF;
    RETURN NULL;
END
$$;

-- What was written stays written: only the owner may change or remove it.
CREATE OR REPLACE FUNCTION tarvo_refuse_rewrite() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
    IF NOT tarvo_session_is_owner() THEN
        RAISE EXCEPTION USING ERRCODE = '42501',
            MESSAGE = format('permission denied for table %s', TG_TABLE_NAME);
    END IF;
    IF TG_OP = 'DELETE' THEN
        RETURN OLD;
    END IF;
    RETURN NEW;
END
$$;

DROP TRIGGER IF EXISTS tarvo_history_stamp ON tarvo_history;
CREATE TRIGGER tarvo_history_stamp BEFORE INSERT ON tarvo_history FOR EACH ROW
    WHEN (NEW.cSessionUser IS DISTINCT FROM session_user) EXECUTE FUNCTION tarvo_stamp_session();
DROP TRIGGER IF EXISTS tarvo_history_operators ON tarvo_history;
CREATE TRIGGER tarvo_history_operators AFTER INSERT ON tarvo_history
    REFERENCING NEW TABLE AS tarvo_added
    FOR EACH STATEMENT EXECUTE FUNCTION tarvo_check_operators();
DROP TRIGGER IF EXISTS tarvo_audit_stamp ON tarvo_audit;
CREATE TRIGGER tarvo_audit_stamp BEFORE INSERT ON tarvo_audit FOR EACH ROW
    WHEN (NEW.cSessionUser IS DISTINCT FROM session_user) EXECUTE FUNCTION tarvo_stamp_session();
DROP TRIGGER IF EXISTS tarvo_audit_operators ON tarvo_audit;
CREATE TRIGGER tarvo_audit_operators AFTER INSERT ON tarvo_audit
    REFERENCING NEW TABLE AS tarvo_added
    FOR EACH STATEMENT EXECUTE FUNCTION tarvo_check_operators();
DROP TRIGGER IF EXISTS tarvo_history_kept ON tarvo_history;
CREATE TRIGGER tarvo_history_kept BEFORE UPDATE OR DELETE ON tarvo_history
    FOR EACH ROW EXECUTE FUNCTION tarvo_refuse_rewrite();
DROP TRIGGER IF EXISTS tarvo_history_kept_whole ON tarvo_history;
CREATE TRIGGER tarvo_history_kept_whole BEFORE TRUNCATE ON tarvo_history
    FOR EACH STATEMENT EXECUTE FUNCTION tarvo_refuse_rewrite();
DROP TRIGGER IF EXISTS tarvo_audit_kept ON tarvo_audit;
CREATE TRIGGER tarvo_audit_kept BEFORE UPDATE OR DELETE ON tarvo_audit
    FOR EACH ROW EXECUTE FUNCTION tarvo_refuse_rewrite();
DROP TRIGGER IF EXISTS tarvo_audit_kept_whole ON tarvo_audit;
CREATE TRIGGER tarvo_audit_kept_whole BEFORE TRUNCATE ON tarvo_audit
    FOR EACH STATEMENT EXECUTE FUNCTION tarvo_refuse_rewrite();
REVOKE UPDATE, DELETE, TRUNCATE ON tarvo_history, tarvo_audit FROM PUBLIC;

-- The history's change numbers: taken from a sequence, a save waits for no other save and needs
-- no right on the history but to add to it. Run again by an upgrade, the sequence only moves
-- on: a number handed out to a save not yet committed is never handed out twice.
CREATE SEQUENCE IF NOT EXISTS tarvo_history_change;
SELECT setval('tarvo_history_change',
              GREATEST((SELECT COALESCE(MAX(iChange), 0) + 1 FROM tarvo_history),
                       last_value + CASE WHEN is_called THEN 1 ELSE 0 END), false)
FROM tarvo_history_change;
