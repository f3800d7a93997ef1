#pragma once
#include <QObject>
#include <QString>

class uXMLHTTP;

// The published version text, trimmed, when it names a version newer than
// this program's: three dotted numbers, 1 to 20 characters.
bool IsNewerVersion(const QString &text);

// Asks the vendor's site for the newest version and tells the user when
// there is one: a line on the cover, the product page, a message.
class UpdateCheck : public QObject {
    Q_OBJECT
public:
    explicit UpdateCheck(QObject *parent = nullptr);

    void start();
    void CompareVersion(const QString &text);
    uXMLHTTP *request() const { return uXMLHTTP2; }

signals:
    // A newer version was published: the cover shows it.
    void newerVersionFound(const QString &version);

private:
    void arrived();
    void failed(const QString &text);

    uXMLHTTP *uXMLHTTP2;
};
