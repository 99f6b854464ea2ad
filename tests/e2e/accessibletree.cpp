#include "tests/e2e/accessibletree.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include "tests/e2e/desktopsession.h"

namespace {

void Flatten(const QJsonObject& object, QList<Accessible>& into)
{
    Accessible accessible{object.value(QLatin1String("role")).toString(), object.value(QLatin1String("name")).toString(),
                          object.value(QLatin1String("description")).toString(), {}, std::nullopt,
                          object.value(QLatin1String("labelledBy")).toString()};
    for (const QJsonValue state : object.value(QLatin1String("states")).toArray())
        accessible.states << state.toString();
    if (object.contains(QLatin1String("text")))
        accessible.text = object.value(QLatin1String("text")).toString();
    into << accessible;
    for (const QJsonValue child : object.value(QLatin1String("children")).toArray())
        Flatten(child.toObject(), into);
}

}  // namespace

QList<Accessible> ReadAccessibleTree(const DesktopSession& desktop, qint64 pid)
{
    QProcess reader;
    reader.setProcessEnvironment(desktop.Environment());
    reader.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    reader.start(qEnvironmentVariable("KENNFIX_ATSPI_TREE"), {QString::number(pid)});
    if (!reader.waitForFinished(DesktopSession::kWaitMs)) {
        reader.kill();
        reader.waitForFinished();
        return {};
    }
    QList<Accessible> objects;
    Flatten(QJsonDocument::fromJson(reader.readAllStandardOutput()).object(), objects);
    return objects;
}
