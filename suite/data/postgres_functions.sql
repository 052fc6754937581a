-- Run on a PostgreSQL server only, after the schema: what saves a clerk far from the server
-- round trips.

-- Takes a function or edit lock in one statement: the session's advisory lock, and for a role
-- that may write them, the row that tells the others who holds it. Returns whether the lock
-- was granted, whether the role writes lock rows, and the row now naming the holder (none when
-- refused before the winner's row is in). Runs with the caller's rights.
CREATE OR REPLACE FUNCTION tarvo_take_lock(p_key bigint, p_archive text, p_kind bigint,
    p_scope text, p_user text, p_name text, p_host text, p_pid bigint, p_session text,
    p_lease text)
RETURNS TABLE (granted boolean, writes_rows boolean, holder_user text, holder_name text,
    holder_host text, holder_pid bigint, holder_session text)
LANGUAGE plpgsql AS $$
DECLARE
    got boolean := pg_try_advisory_lock(p_key);
    writes boolean := has_table_privilege('tarvo_lock', 'INSERT')
        AND has_table_privilege('tarvo_lock', 'UPDATE')
        AND has_table_privilege('tarvo_lock', 'DELETE');
BEGIN
    IF got AND writes THEN
        BEGIN
            DELETE FROM tarvo_lock l
                WHERE l.cArchive = p_archive AND l.iKind = p_kind AND l.cScope = p_scope;
            INSERT INTO tarvo_lock (cArchive, iKind, cScope, cUserId, cUserName, cHost, iPid,
                                    cSession, dLease)
                VALUES (p_archive, p_kind, p_scope, p_user, p_name, p_host, p_pid, p_session,
                        p_lease);
        EXCEPTION WHEN OTHERS THEN
            -- A session lock outlives the failed statement: it is given back with it.
            PERFORM pg_advisory_unlock(p_key);
            RAISE;
        END;
    END IF;
    RETURN QUERY
        SELECT got, writes, l.cUserId::text, l.cUserName::text, l.cHost::text, l.iPid::bigint,
               l.cSession::text
        FROM (SELECT 1) AS one
        LEFT JOIN tarvo_lock l
            ON l.cArchive = p_archive AND l.iKind = p_kind AND l.cScope = p_scope;
END
$$;

-- A change of a table the sessions keep a copy of (currencies, banks, regions, ledger accounts,
-- the data dictionary) is announced, once a statement, to the sessions listening; they read the
-- table again.
CREATE OR REPLACE FUNCTION tarvo_announce_change() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
    PERFORM pg_notify('tarvo_reference', TG_TABLE_NAME);
    RETURN NULL;
END
$$;

DO $$
DECLARE
    t text;
BEGIN
    FOREACH t IN ARRAY ARRAY['foreigncurrency', 'aa_bank', 'hr_ct007', 'code', 'tarvo_datadict']
    LOOP
        EXECUTE format('DROP TRIGGER IF EXISTS tarvo_announce_change ON %I', t);
        EXECUTE format('CREATE TRIGGER tarvo_announce_change AFTER INSERT OR UPDATE OR DELETE '
                       'OR TRUNCATE ON %I FOR EACH STATEMENT '
                       'EXECUTE FUNCTION tarvo_announce_change()', t);
    END LOOP;
END
$$;
