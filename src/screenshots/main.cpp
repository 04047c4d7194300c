// velmora-screenshots FOLDER: the pictures of the manual, taken of the real screens on the
// demonstration firm. Exits with 1, naming the screen, when one cannot be opened.
#include "data/database.h"
#include "shots.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTextStream>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTextStream err(stderr);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 2) {
        err << "usage: velmora-screenshots FOLDER\n";
        return 2;
    }
    QTemporaryDir scratch;
    QString error;
    QSqlDatabase db = velmora::createDatabase(scratch.filePath(QStringLiteral("taxi.mdb")),
                                              QStringLiteral("screenshots"), &error);
    bool done = db.isValid() && velmora::screenshots::fillDemoDesk(db, &error);
    QTextStream out(stdout);
    done = done && velmora::screenshots::takeShots(db, arguments.at(1), &error,
                                                   [&out](const QString& file) {
                                                       out << file << '\n';
                                                       out.flush();
                                                   });
    if (!done) {
        err << "velmora-screenshots: " << error << '\n';
        return 1;
    }
    return 0;
}
