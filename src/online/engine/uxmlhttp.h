#pragma once
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QString>

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

// Fetches one file over HTTP without blocking the window. A 10 ms poll
// watches the request and reports its end through the three events, always
// from a timer tick, never from inside Send_.
class uXMLHTTP : public QObject {
    Q_OBJECT
public:
    explicit uXMLHTTP(QObject *parent = nullptr);
    ~uXMLHTTP() override;

    // The only member that reports an error to its caller: false when the
    // request cannot be made (no address, or not http/https).
    bool Open_(const QString &AMethod, const QString &AUrl, const QString &保存路径 = QString());
    void SetRequestHeader(const QString &AHeader, const QString &AValue);
    void Send_(const QByteArray &ABody = QByteArray());
    void Abort_();

    bool DownOK() const { return m_downOK; }
    qint32 ReadyState() const { return m_readyState; }
    qint32 Status() const { return m_status; }
    QString StatusText() const { return m_statusText; }
    QString GetResponseHeader(const QString &AHeader) const;
    QString GetAllResponseHeaders() const;
    QByteArray ResponseBody() const { return m_body; }
    QString ResponseText() const;

    // The text of each status code 0 to 600; every other code has none.
    static QString statusTextFor(int code);

    // Limits of a request: it ends without a status past either. The time
    // counts from Send_ to the end, however steadily bytes come in.
    static constexpr int DefaultTimeoutMs = 15000;
    static constexpr qint64 MaxBodyBytes = 1024 * 1024;
    void setTimeoutMs(int ms) { m_timeoutMs = ms; }

    // Codes for a request that ended without any HTTP status (outside 0 to
    // 600, so no event follows). Incomplete: the status came but the body
    // broke off.
    enum NoStatus : qint32 {
        NameNotResolved = 12007,
        Timeout = 12002,
        CannotConnect = 12029,
        SecureFailure = 12175,
        Refused = 12030,
        TooLarge = 12031,
        Incomplete = 12152
    };

signals:
    void OnDateArrived();
    void OnReadyStateChange();
    void OnDateErr(const QString &text);

private:
    void tick();
    void finished();
    void dropReply();
    void endWithoutStatus(qint32 code);

    QNetworkAccessManager *m_network;
    QTimer *tmrReader;
    QTimer *m_deadline;
    QPointer<QNetworkReply> m_reply;
    bool m_downOK = false;
    bool m_pollAllowed = false;
    QString m_savePath;
    QString m_method;
    QString m_url;
    QList<QPair<QByteArray, QByteArray>> m_requestHeaders;
    qint32 m_readyState = 0;
    qint32 m_status = 0;
    QString m_statusText;
    QByteArray m_body;
    QList<QPair<QByteArray, QByteArray>> m_responseHeaders;
    int m_timeoutMs = DefaultTimeoutMs;
};
