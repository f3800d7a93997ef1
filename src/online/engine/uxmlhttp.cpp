#include "online/engine/uxmlhttp.h"

#include "shell/engine/file_system.h"

#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QTimer>
#include <QUrl>
#include <array>

namespace {

const std::array<QString, 601> &statusTable()
{
    static const std::array<QString, 601> table = [] {
        std::array<QString, 601> t;
        const std::pair<int, QString> texts[] = {
            {100, QStringLiteral("客户必须继续发出请求")},
            {101, QStringLiteral("客户要求服务器根据请求转换HTTP协议版本")},
            {200, QStringLiteral("交易成功")},
            {201, QStringLiteral("提示知道新文件的URL")},
            {202, QStringLiteral("接受和处理?但处理未完成")},
            {203, QStringLiteral("返回信息不确定或不完整")},
            {204, QStringLiteral("请求收到，但返回信息为空")},
            {205, QStringLiteral("服务器完成了请求，用户代理必须复位当前已经浏览过的文件")},
            {206, QStringLiteral("服务器已经完成了部分用户的GET请求")},
            {300, QStringLiteral("请求的资源可在多处得到")},
            {301, QStringLiteral("删除请求数据")},
            {302, QStringLiteral("在其他地址发现了请求数据")},
            {303, QStringLiteral("建议客户访问其他URL或访问方式")},
            {304, QStringLiteral("客户端已经执行了GET，但文件未变化")},
            {305, QStringLiteral("请求的资源必须从服务器指定的地址得到")},
            {306, QStringLiteral("前一版本HTTP中使用的代码，现行版本中不再使用")},
            {307, QStringLiteral("申明请求的资源临时性删除")},
            {400, QStringLiteral("错误请求，如语法错误")},
            {401, QStringLiteral("请求授权失败")},
            {402, QStringLiteral("保留有效ChargeTo头响应")},
            {403, QStringLiteral("请求不允许")},
            {404, QStringLiteral("没有发现文件?查询或URl")},
            {405, QStringLiteral("用户在Request -Line字段定义的方法不允许")},
            {406, QStringLiteral("根据用户发送的Accept拖，请求资源不可访问")},
            {407, QStringLiteral("类似401，用户必须首先在代理服务器上得到授权")},
            {408, QStringLiteral("客户端没有在用户指定的饿时间内完成请求")},
            {409, QStringLiteral("对当前资源状态，请求不能完成")},
            {410, QStringLiteral("服务器上不再有此资源且无进一步的参考地址")},
            {411, QStringLiteral("服务器拒绝用户定义的Content -Length属性请求")},
            {412, QStringLiteral("一个或多个请求头字段在当前请求中错误")},
            {413, QStringLiteral("请求的资源大于服务器允许的大小")},
            {414, QStringLiteral("请求的资源URL长于服务器允许的长度")},
            {415, QStringLiteral("请求资源不支持请求项目格式")},
            {416, QStringLiteral("请求中包含Range请求头字段，在当前请求资源范围内没有range指示值，请求也不包含If-Range请求头字段")},
            {417, QStringLiteral("服务器不满足请求Expect头字段指定的期望值，如果是代理服务器，可能是下一级服务器不能满足请求")},
            {500, QStringLiteral("服务器产生内部错误")},
            {501, QStringLiteral("服务器不支持请求的函数")},
            {502, QStringLiteral("服务器暂时不可用，有时是为了防止发生系统过载")},
            {503, QStringLiteral("服务器过载或暂停维修")},
            {504, QStringLiteral("关口过载，服务器使用另一个关口或服务来响应用户，等待时间设定值较长")},
            {505, QStringLiteral("服务器不支持或拒绝支请求头中指定的HTTP版本")},
        };
        for (const auto &[code, text] : texts)
            t[static_cast<size_t>(code)] = text;
        return t;
    }();
    return table;
}

// The code a request gets when it ended without an HTTP status.
qint32 codeWithoutStatus(QNetworkReply::NetworkError e)
{
    switch (e) {
    case QNetworkReply::HostNotFoundError: return uXMLHTTP::NameNotResolved;
    case QNetworkReply::ConnectionRefusedError: return uXMLHTTP::Refused;
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError: return uXMLHTTP::Timeout;
    case QNetworkReply::SslHandshakeFailedError: return uXMLHTTP::SecureFailure;
    case QNetworkReply::RemoteHostClosedError: return uXMLHTTP::Incomplete;
    default: return uXMLHTTP::CannotConnect;
    }
}

// Errors Qt derives from the HTTP status itself; any other error means the
// transfer broke, whatever status had come before.
bool fromStatus(QNetworkReply::NetworkError e)
{
    return e == QNetworkReply::ProxyAuthenticationRequiredError
           || (e >= QNetworkReply::ContentAccessDenied && e <= QNetworkReply::UnknownServerError && e != QNetworkReply::ProtocolUnknownError
               && e != QNetworkReply::ProtocolFailure);
}

} // namespace

QString uXMLHTTP::statusTextFor(int code)
{
    if (code < 0 || code > 600)
        return QString();
    return statusTable()[static_cast<size_t>(code)];
}

uXMLHTTP::uXMLHTTP(QObject *parent)
    : QObject(parent), m_network(new QNetworkAccessManager(this)), tmrReader(new QTimer(this)), m_deadline(new QTimer(this))
{
    setObjectName(QStringLiteral("uXMLHTTP"));
    tmrReader->setObjectName(QStringLiteral("tmrReader"));
    tmrReader->setInterval(10);
    connect(tmrReader, &QTimer::timeout, this, &uXMLHTTP::tick);
    m_deadline->setSingleShot(true);
    connect(m_deadline, &QTimer::timeout, this, [this] { endWithoutStatus(Timeout); });
    statusTable();
}

uXMLHTTP::~uXMLHTTP()
{
    tmrReader->stop();
    dropReply();
}

bool uXMLHTTP::Open_(const QString &AMethod, const QString &AUrl, const QString &保存路径)
{
    m_downOK = false;
    const QUrl url(AUrl, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return false;
    tmrReader->stop();
    dropReply();
    m_method = AMethod.toUpper();
    m_url = AUrl;
    m_savePath = 保存路径;
    m_requestHeaders.clear();
    m_responseHeaders.clear();
    m_body.clear();
    m_status = 0;
    m_statusText.clear();
    m_readyState = 1;
    m_pollAllowed = true;
    return true;
}

void uXMLHTTP::SetRequestHeader(const QString &AHeader, const QString &AValue)
{
    if (m_readyState != 1)
        return;
    m_requestHeaders.append({AHeader.toUtf8(), AValue.toUtf8()});
}

void uXMLHTTP::Send_(const QByteArray &ABody)
{
    if (m_readyState != 1 || m_reply)
        return;
    QNetworkRequest request{QUrl(m_url)};
    for (const auto &[name, value] : m_requestHeaders)
        request.setRawHeader(name, value);
    m_reply = m_network->sendCustomRequest(request, m_method.toLatin1(), ABody);
    QNetworkReply *reply = m_reply;
    connect(reply, &QNetworkReply::metaDataChanged, this, [this] {
        if (m_readyState < 2)
            m_readyState = 2;
    });
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] {
        m_readyState = 3;
        // A version file is a few bytes: anything past the cap is not one.
        if (reply->bytesAvailable() + m_body.size() > MaxBodyBytes
            || reply->header(QNetworkRequest::ContentLengthHeader).toLongLong() > MaxBodyBytes) {
            endWithoutStatus(TooLarge);
            return;
        }
        m_body += reply->readAll();
    });
    connect(reply, &QNetworkReply::finished, this, &uXMLHTTP::finished);
    m_deadline->start(m_timeoutMs);
    if (m_pollAllowed)
        tmrReader->start();
}

void uXMLHTTP::endWithoutStatus(qint32 code)
{
    dropReply();
    m_status = code;
    m_statusText.clear();
    m_body.clear();
    m_readyState = 4;
}

void uXMLHTTP::finished()
{
    QNetworkReply *reply = m_reply;
    if (!reply)
        return;
    const QVariant code = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const QNetworkReply::NetworkError error = reply->error();
    if (!code.isValid() || (error != QNetworkReply::NoError && !fromStatus(error))) {
        endWithoutStatus(code.isValid() ? Incomplete : codeWithoutStatus(error));
        return;
    }
    if (reply->bytesAvailable() + m_body.size() > MaxBodyBytes) {
        endWithoutStatus(TooLarge);
        return;
    }
    m_body += reply->readAll();
    // A body shorter than announced broke off, even where Qt saw no error.
    const int status = code.toInt();
    const bool hasBody = m_method != QLatin1String("HEAD") && status >= 200 && status != 204 && status != 304;
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    if (hasBody && length.isValid() && m_body.size() < length.toLongLong() && reply->rawHeader("Content-Encoding").isEmpty()) {
        endWithoutStatus(Incomplete);
        return;
    }
    m_status = status;
    m_statusText = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    m_responseHeaders = reply->rawHeaderPairs();
    m_readyState = 4;
    dropReply();
}

void uXMLHTTP::Abort_()
{
    tmrReader->stop();
    dropReply();
    m_readyState = 0;
}

void uXMLHTTP::dropReply()
{
    m_deadline->stop();
    if (!m_reply)
        return;
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    reply->disconnect(this);
    if (reply->isRunning())
        reply->abort();
    reply->deleteLater();
}

void uXMLHTTP::tick()
{
    emit OnReadyStateChange();
    if (m_readyState != 4)
        return;
    tmrReader->stop();
    m_downOK = true;
    if (m_status != 200) {
        // No event for a request that got no status at all: an offline
        // user is not told about it.
        if (m_status >= 0 && m_status <= 600)
            emit OnDateErr(statusTextFor(m_status));
        return;
    }
    if (!m_savePath.isEmpty() && !m_body.isEmpty()) {
        // Written whole or not at all, replacing what was there.
        QSaveFile out(m_savePath);
        if (out.open(QIODevice::WriteOnly) && out.write(m_body) == m_body.size())
            out.commit();
    }
    emit OnDateArrived();
}

QString uXMLHTTP::GetResponseHeader(const QString &AHeader) const
{
    const QByteArray wanted = AHeader.toLatin1().toLower();
    for (const auto &[name, value] : m_responseHeaders)
        if (name.toLower() == wanted)
            return QString::fromLatin1(value);
    return QString();
}

QString uXMLHTTP::GetAllResponseHeaders() const
{
    QString all;
    for (const auto &[name, value] : m_responseHeaders)
        all += QString::fromLatin1(name) + QStringLiteral(": ") + QString::fromLatin1(value) + QStringLiteral("\r\n");
    return all;
}

QString uXMLHTTP::ResponseText() const
{
    if (m_body.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(m_body.mid(3));
    return QString::fromUtf8(m_body);
}
