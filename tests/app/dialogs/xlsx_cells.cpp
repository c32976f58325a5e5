// SPDX-License-Identifier: GPL-3.0-or-later
#include "xlsx_cells.h"

#include <unzip.h>

#include <QByteArray>
#include <QStringList>
#include <QXmlStreamReader>

namespace kv::test {
namespace {

QByteArray member(unzFile zip, const char *name, bool *found) {
    *found = false;
    QByteArray bytes;
    if (unzLocateFile(zip, name, 1) != UNZ_OK || unzOpenCurrentFile(zip) != UNZ_OK) return bytes;
    char buffer[65536];
    int n;
    while ((n = unzReadCurrentFile(zip, buffer, sizeof buffer)) > 0)
        bytes.append(buffer, n);
    *found = unzCloseCurrentFile(zip) == UNZ_OK && n == 0;
    return bytes;
}

// The text of <t> elements inside the current element, up to its end.
QString textUntilEnd(QXmlStreamReader &xml, const QString &end) {
    QString text;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"t") text += xml.readElementText();
        if (xml.isEndElement() && xml.name() == end) break;
    }
    return text;
}

}  // namespace

QMap<QString, QString> readSheetCells(const QString &path, bool *ok) {
    QMap<QString, QString> cells;
    if (ok) *ok = false;
    unzFile zip = unzOpen64(path.toLocal8Bit().constData());
    if (!zip) return cells;
    bool found = false;
    QStringList shared;
    const QByteArray strings = member(zip, "xl/sharedStrings.xml", &found);
    if (found) {
        QXmlStreamReader xml(strings);
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == u"si") shared << textUntilEnd(xml, "si");
        }
    }
    const QByteArray sheet = member(zip, "xl/worksheets/sheet1.xml", &found);
    unzClose(zip);
    if (!found) return cells;
    QXmlStreamReader xml(sheet);
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement() || xml.name() != u"c") continue;
        const QString ref = xml.attributes().value("r").toString();
        const QString type = xml.attributes().value("t").toString();
        QString value;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == u"v") value = xml.readElementText();
            if (xml.isStartElement() && xml.name() == u"is") value = textUntilEnd(xml, "is");
            if (xml.isEndElement() && xml.name() == u"c") break;
        }
        if (type == "s") {
            const int index = value.toInt();
            value = index >= 0 && index < shared.size() ? shared[index] : QString();
        }
        cells[ref] = value;
    }
    if (ok) *ok = !xml.hasError();
    return cells;
}

}  // namespace kv::test
