#include <QApplication>

#include "messageboxes.h"
#include "unit1.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(kennfix::kApplicationTitle);

    kennfix::TForm1 form;
    kennfix::Form1 = &form;
    form.show();
    return QApplication::exec();
}
