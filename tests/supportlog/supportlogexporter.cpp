// Runs the support log export in a process of its own, so that a test can run it with less
// rights or with a file size limit. Usage: supportlogexporter <directory> <line count>
// Answers every box with Ok, types the directory into the dialog and prints each box it saw
// as "icon<TAB>title<TAB>text", then every modal widget that nobody expected.

#include "modalanswerer.h"
#include "supportlog/supportlogexport.h"
#include "supportlogtesting.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    bool countOk = false;
    const int lineCount = arguments.value(2).toInt(&countOk);
    if (arguments.size() != 3 || !countOk)
        return 2;

    ModalAnswerer answerer;
    answerer.pressButton(QMessageBox::Ok);
    chooseDirectory(answerer, arguments.at(1));
    answerer.pressButton(QMessageBox::Ok);

    QStringList lines;
    for (int i = 0; i < lineCount; ++i)
        lines << QStringLiteral("Zeile %1 des Protokolls").arg(i);
    exportSupportLog(lines);

    QTextStream out(stdout);
    out.setCodec("UTF-8");
    for (const ModalAnswerer::SeenBox &box : answerer.seenBoxes())
        out << int(box.icon) << '\t' << box.title << '\t' << box.text << '\n';
    for (const QString &stray : answerer.unexpected())
        out << "unexpected\t" << stray << '\n';
    return 0;
}
