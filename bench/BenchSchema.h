#pragma once
// The schema the import benchmarks document, and the medians they print. Shared by
// bench/import and bench/wizard so both import the same thing.

#include <QList>
#include <QString>
#include <QTextStream>
#include <algorithm>

namespace bench {

// N tables (10 columns, a primary key, about 1.5 indexes and one foreign key each, a
// view for every tenth table, a trigger for every twentieth) as SQL for PostgreSQL or
// SQLite, committed every 200 tables.
inline QString schemaSql(int n, bool postgres) {
    QString sql;
    QTextStream out(&sql);
    const int batch = 200;
    for (int t = 0; t < n; ++t) {
        if (t % batch == 0) out << "BEGIN;\n";
        out << "CREATE TABLE t" << t << " (id INTEGER PRIMARY KEY, parent_id INTEGER";
        if (t > 0) out << " REFERENCES t" << (t - 1) << "(id)";
        out << ", code VARCHAR(20) NOT NULL, name VARCHAR(100), amount NUMERIC(12,2) DEFAULT 0"
               ", qty INTEGER CHECK (qty >= 0), created DATE, flag SMALLINT, note TEXT, ref_code CHAR(8));\n";
        out << "CREATE INDEX ix_t" << t << "_code ON t" << t << " (code);\n";
        if (t % 2 == 0) out << "CREATE UNIQUE INDEX ux_t" << t << "_ref ON t" << t << " (ref_code, code);\n";
        if (t % 10 == 0) out << "CREATE VIEW v" << t << " AS SELECT id, code, name FROM t" << t << " WHERE qty > 0;\n";
        if (t % 20 == 0) {
            if (postgres) {
                out << "CREATE FUNCTION f" << t << "() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN NEW.qty := coalesce(NEW.qty, 0); RETURN NEW; END; $$;\n";
                out << "CREATE TRIGGER tr" << t << " BEFORE INSERT ON t" << t << " FOR EACH ROW EXECUTE FUNCTION f" << t << "();\n";
            } else {
                out << "CREATE TRIGGER tr" << t << " AFTER INSERT ON t" << t << " BEGIN UPDATE t" << t
                    << " SET qty = 0 WHERE id = NEW.id AND qty IS NULL; END;\n";
            }
        }
        if (t % batch == batch - 1 || t == n - 1) out << "COMMIT;\n";
    }
    return sql;
}

inline double median(QList<double> v) {
    std::sort(v.begin(), v.end());
    if (v.isEmpty()) return 0;
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

}  // namespace bench
