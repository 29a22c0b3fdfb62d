#include "engine/db/database.h"
#include "engine/db/gridmodel.h"
#include "engine/db/query.h"
#include "engine/db/table.h"
#include "enginetest.h"

#include <QFile>

class TestDb : public QObject {
    Q_OBJECT
private slots:
    void positionalTablesKeepTheirColumnOrder()
    {
        TestEnv env;
        env.openDb();
        for (const QString& t : {"cj", "cjn"}) {
            const QStringList c = Db::columns(t);
            QCOMPARE(c.mid(1, 3), (QStringList{"学号", "班号", "姓名"}));
            QCOMPARE(c.size(), 31);
        }
        const QStringList cjsave = Db::columns("cjsave");
        QCOMPARE(cjsave.size(), 34);
        QCOMPARE(cjsave.at(0), QString("ID"));
        QCOMPARE(cjsave.mid(2, 5), (QStringList{"考试编号", "考试名称", "学号", "班号", "姓名"}));
        QCOMPARE(cjsave.mid(7, 3), (QStringList{"语文1", "语文班排1", "语文级排1"}));
        QCOMPARE(cjsave.last(), QString("总分级排1"));
        const QStringList fxsave = Db::columns("fxsave");
        QCOMPARE(fxsave.size(), 41);
        QCOMPARE(fxsave.at(0), QString("科目"));
        QCOMPARE(fxsave.at(18), QString("最低分"));
        QCOMPARE(fxsave.mid(20, 13),
                 (QStringList{"110到120", "100到110", "90到100", "80到90", "70到80", "60到70", "50到60", "40到50",
                              "30到40", "20到30", "10到20", "1到9", "0分"}));
        QCOMPARE(fxsave.mid(33, 6), (QStringList{"级前100名人数", "级前200名人数", "级前300名人数", "级前400名人数",
                                                 "考试名称", "考试编号"}));
        const QStringList tjsave = Db::columns("tjsave1");
        QCOMPARE(tjsave.size(), 44);
        QCOMPARE(tjsave.mid(0, 4), (QStringList{"上限", "下限", "1班", "1累"}));
        QCOMPARE(tjsave.mid(36, 6), (QStringList{"18班", "18累", "全级", "级累", "考试编号", "考试名称"}));
        QCOMPARE(tjsave.last(), QString("ID1"));
        QCOMPARE(Db::columns("ksmc"), (QStringList{"name", "id"}));
    }

    void blankTemplateHoldsItsInitialRows()
    {
        TestEnv env;
        env.openDb();
        QCOMPARE(Fixture::value("check", "mc").toString(), QString("没有任何考试"));
        QCOMPARE(Db::rowCount("check"), 1);
        for (const char* flag : {"c1", "c2", "c3"})
            QCOMPARE(Fixture::value("check", flag).toInt(), 0);
        QCOMPARE(Db::rowCount("linshi"), 1);
        QCOMPARE(Fixture::value("linshi", "shibie").toInt(), 0);
        QCOMPARE(Db::rowCount("count"), 1);
        for (const char* c : {"count", "counttj", "zuge"})
            QCOMPARE(Fixture::value("count", c).toInt(), 1);
        QCOMPARE(Db::rowCount("ksmc"), 1);
        QCOMPARE(Fixture::value("ksmc", "id").toInt(), 1);
        QVERIFY(Db::rowCount("fx") >= 7 * 19 + 1);
        QCOMPARE(Db::selectValue("SELECT count(*) FROM fx WHERE 科目 <> '0'").toInt(), 0);
        QVERIFY(Db::rowCount("tj") >= 101);
        for (const char* t : {"cj", "cjn", "cjsave", "fxsave", "tjsave1", "ksmcfx", "ksmcfd"})
            QCOMPARE(Db::rowCount(t), 0);
    }

    void missingDatabaseIsNotCreated()
    {
        TestEnv env;
        const QString missing = env.programDir() + "/database/none.mdb";
        QVERIFY_THROWS_EXCEPTION(Db::Error, Db::open(missing));
        QVERIFY(!QFile::exists(missing));
        QVERIFY(!Db::isOpen());
    }

    void unknownNamesNeverReachSql()
    {
        TestEnv env;
        env.openDb();
        QVERIFY_THROWS_EXCEPTION(Db::Error, Db::table("cj; DROP TABLE cj"));
        QVERIFY_THROWS_EXCEPTION(Db::Error, Db::column("cj", "语文1\" FROM cj; --"));
        Db::Table t("nosuch");
        QVERIFY_THROWS_EXCEPTION(Db::Error, t.open());
        QVERIFY(Db::hasTable("cj"));
    }

    void positionalAppendLeavesLaterColumnsNull()
    {
        TestEnv env;
        env.openDb();
        Db::Table t("cjn");
        t.open();
        t.appendPositional({7, "0101", 3, "张三", 0, 0});
        t.close();
        QCOMPARE(Fixture::value("cjn", "序号").toInt(), 7);
        QCOMPARE(Fixture::value("cjn", "学号").toString(), QString("0101"));
        QCOMPARE(Fixture::value("cjn", "班号").toInt(), 3);
        QCOMPARE(Fixture::value("cjn", "语文1").toInt(), 0);
        QCOMPARE(Fixture::value("cjn", "数学1").toInt(), 0);
        QVERIFY(Fixture::value("cjn", "英语1").isNull());
        QVERIFY(Fixture::value("cjn", "总分级排1").isNull());
    }

    void cursorWalksEditsInsertsAndDeletes()
    {
        TestEnv env;
        env.openDb();
        for (int i = 1; i <= 3; ++i)
            Fixture::student("cjn", QString::number(i), 1, QStringLiteral("学生%1").arg(i));
        Db::Table t("cjn");
        t.open();
        QCOMPARE(t.recordCount(), 3);
        QStringList seen;
        for (t.first(); !t.eof(); t.next())
            seen << t.text("姓名");
        QCOMPARE(seen, (QStringList{"学生1", "学生2", "学生3"}));

        t.first();
        t.next();
        t.edit();
        t.setValue("语文1", 88.5);
        t.next(); // moving on stores the edit
        QCOMPARE(Fixture::value("cjn", "语文1", 1).toDouble(), 88.5);

        t.first();
        t.next();
        t.insertBefore({{"学号", "15"}, {"班号", 1}, {"姓名", "插入"}});
        QCOMPARE(t.text("姓名"), QString("插入"));
        QCOMPARE(Fixture::column("cjn", "姓名"), (QVariantList{"学生1", "插入", "学生2", "学生3"}));

        t.last();
        t.deleteCurrent();
        QCOMPARE(t.text("姓名"), QString("学生2"));
        t.empty();
        QVERIFY(t.eof());
        QCOMPARE(Db::rowCount("cjn"), 0);
        QVERIFY_THROWS_EXCEPTION(Db::Error, t.text("姓名"));
    }

    void transactionRollsBackOnError()
    {
        TestEnv env;
        env.openDb();
        try {
            Db::inTransaction([] {
                Db::exec("UPDATE \"check\" SET mc = 'x'");
                Db::inTransaction([] { Db::exec("UPDATE \"count\" SET zuge = 9"); });
                throw Db::Error("boom");
            });
        } catch (const Db::Error&) {
        }
        QCOMPARE(Fixture::value("check", "mc").toString(), QString("没有任何考试"));
        QCOMPARE(Fixture::value("count", "zuge").toInt(), 1);
    }

    void selectTextKeepsItsShapeWhileValuesAreBound()
    {
        TestEnv env;
        env.openDb();
        Fixture::student("cjn", "0101", 1, "甲");
        Fixture::student("cjn", "101", 2, "乙");
        Fixture::student("cjn", "0102", 3, "丙");
        Db::SelectSpec q;
        q.columns = {"学号", "姓名", "语文1", "班号"};
        q.table = "cjn";
        q.where = {{"班号", ">=", 1}, {"班号", "<=", 2}};
        q.orderBy = {{"学号"}, {"班号"}};
        QCOMPARE(q.text(), QString("select 学号,姓名,语文1,班号 from  cjn where 班号>=1 and 班号<=2 order by 学号,班号"));
        const auto rows = Db::select(q);
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows.at(0).at(0).toString(), QString("0101")); // text order: 0101 before 101
        QCOMPARE(rows.at(1).at(0).toString(), QString("101"));

        Db::SelectSpec like;
        like.table = "ksmc";
        like.columns = {"name"};
        like.where = {{"name", "like", "期中'考试"}};
        Db::exec("INSERT INTO ksmc(name) VALUES (?)", {QStringLiteral("期中'考试一")});
        Db::exec("INSERT INTO ksmc(name) VALUES (?)", {QStringLiteral("期中_考试")});
        QCOMPARE(Db::select(like).size(), 1);
    }

    void gridWritesBackAndTakesOnlyNumbers()
    {
        TestEnv env;
        env.openDb();
        Fixture::student("cjn", "0101", 1, "甲");
        Db::GridModel m;
        Db::SelectSpec q;
        q.columns = {"学号", "姓名", "语文1", "班号"};
        q.table = "cjn";
        m.setQuery(q);
        m.open();
        QSignalSpy rejected(&m, &Db::GridModel::editRejected);
        QVERIFY(m.setData(m.index(0, 2), "92.5"));
        QCOMPARE(Fixture::value("cjn", "语文1").toDouble(), 92.5);
        QVERIFY(!m.setData(m.index(0, 2), "九十"));
        QCOMPARE(rejected.count(), 1);
        QCOMPARE(Fixture::value("cjn", "语文1").toDouble(), 92.5);
        QVERIFY(!m.setData(m.index(0, 3), "1.5"));
        QVERIFY(m.setData(m.index(0, 1), "甲'乙"));
        QCOMPARE(Fixture::value("cjn", "姓名").toString(), QString("甲'乙"));
        QVERIFY(m.setData(m.index(0, 2), ""));
        QVERIFY(Fixture::value("cjn", "语文1").isNull());
        QCOMPARE(m.data(m.index(0, 2)).toString(), QString());
        // An absence typed stores nothing, as a cleared cell does; 0 is a mark.
        for (const QString& absent : {QStringLiteral("缺考"), QStringLiteral(" ／ ")}) {
            QVERIFY(m.setData(m.index(0, 2), "0"));
            QCOMPARE(Fixture::value("cjn", "语文1").toDouble(), 0.0);
            QVERIFY(m.setData(m.index(0, 2), absent));
            QVERIFY(Fixture::value("cjn", "语文1").isNull());
        }
        // A class is no mark: it cannot be absent.
        QVERIFY(!m.setData(m.index(0, 3), QStringLiteral("缺考")));
        QCOMPARE(Fixture::value("cjn", "班号").toInt(), 1);
    }

    // The analysis grid: only the teacher's column takes edits, rates read as
    // percentages while editing starts from the stored fraction, and a title
    // given once survives reopening on another table.
    void gridRestrictedToSomeColumns()
    {
        TestEnv env;
        env.openDb();
        Db::exec("UPDATE fx SET 科目 = '语文1', 班号 = 1, 合格率 = 0.6667, 人数 = 45 "
                 "WHERE rowid = (SELECT min(rowid) FROM fx)");
        Db::GridModel m;
        m.setEditableColumns({"科任教师"});
        m.setTitle("F130", "120分");
        Db::SelectSpec q;
        q.columns = {"科目", "班号", "科任教师", "人数", "合格率", "F130"};
        q.table = "fx";
        q.where = {{"科目", "<>", "0"}};
        m.setQuery(q);
        m.open();
        QCOMPARE(m.rowCount(), 1);
        QCOMPARE(m.headerData(5, Qt::Horizontal).toString(), QString("120分"));
        QCOMPARE(m.headerData(4, Qt::Horizontal).toString(), QString("合格率"));
        QCOMPARE(m.data(m.index(0, 4)).toString(), QString("66.67%"));
        QCOMPARE(m.data(m.index(0, 4), Qt::EditRole).toString(), QString("0.6667"));
        for (int c : {0, 1, 3, 4, 5}) {
            QVERIFY(!(m.flags(m.index(0, c)) & Qt::ItemIsEditable));
            QVERIFY(!m.setData(m.index(0, c), "7"));
        }
        QCOMPARE(Fixture::value("fx", "人数").toInt(), 45);
        QVERIFY(m.flags(m.index(0, 2)) & Qt::ItemIsEditable);
        QVERIFY(m.setData(m.index(0, 2), QStringLiteral("王老师")));
        QCOMPARE(Fixture::value("fx", "科任教师").toString(), QStringLiteral("王老师"));
        m.setReadOnly(true);
        QVERIFY(!(m.flags(m.index(0, 2)) & Qt::ItemIsEditable));
    }
};

GRADEBOOK_TEST_MAIN(TestDb)
#include "test_db.moc"
