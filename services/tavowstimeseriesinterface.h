#ifndef TAVOWSTIMESERIESINTERFACE_H
#define TAVOWSTIMESERIESINTERFACE_H

#include "services/webservicesinterface.h"

class QIODevice;
class QNetworkReply;
class SeismicRecord;

// Client of the timeseries service: the waveform of one channel for one time
// window, answered as a big-endian SAC record. Every request is answered by
// exactly one signal: timeseriesResults with a new record that the receiver
// owns (with the event its SAC header may name), or timeseriesRequestError
// naming the channel ("NET STALOCCHA") when the request failed or its answer
// was no SAC record with samples.
class TAVOWSTimeseriesInterface : public WebServicesInterface
{
    Q_OBJECT

public:
    explicit TAVOWSTimeseriesInterface(const QString& host);
    ~TAVOWSTimeseriesInterface() override;

    // Asks for the record's channel from its start for the client's
    // duration, in the units the record's SampleUnits name. The client's
    // start and end become the record's; its duration stays as last set.
    void request(SeismicRecord* record);
    void request(const QString& network, const QString& station, const QString& location,
                 const QString& channel);

    QString options() const { return options_; }
    void setOptions(const QString& options) { options_ = options; }

    // Reads one SAC record with samples from any bytes; null when they do
    // not hold one. The record's event, if the header names one, is the
    // caller's too.
    static SeismicRecord* readRecord(QIODevice* device);
    // "NET STALOCCHA" from the codes of a query URL.
    static QString channelText(const QString& url);

Q_SIGNALS:
    void timeseriesResults(SeismicRecord* record);
    void timeseriesRequestError(QString errorString);

public Q_SLOTS:
    void requestFinished(QNetworkReply* reply);

private:
    static void discard(SeismicRecord* record);

    QString options_;
};

#endif // TAVOWSTIMESERIESINTERFACE_H
