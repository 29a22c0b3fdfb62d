// Build step: makes the blank template database from the schema script.
#include "engine/db/database.h"
#include "engine/db/schema.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: gradebook-mkdb FILE\n");
        return 2;
    }
    try {
        Db::createBlankDatabase(QString::fromLocal8Bit(argv[1]));
    } catch (const Db::Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
