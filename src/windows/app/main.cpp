#include "windows/app/forms.h"
#include "windows/app/tform6.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("墨竹成绩册"));
    // Name the Chinese family so that Chinese, not Japanese, glyph forms are used.
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPointSize(10);
    QApplication::setFont(font);
    QTranslator qtZh;
    if (qtZh.load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtZh);
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));

    if (!Forms::createAll())
        return 1;
    Forms::Form6->show();
    const int rc = app.exec();
    Forms::destroyAll();
    return rc;
}
