#pragma once
// Environment variables as they stand when it is made, put back when it ends (unset where they were).
#include <QByteArray>
#include <QList>
#include <optional>

class KeptVariables {
public:
    explicit KeptVariables(const QList<QByteArray>& names);
    ~KeptVariables();
    KeptVariables(const KeptVariables&) = delete;
    KeptVariables& operator=(const KeptVariables&) = delete;

private:
    QList<QByteArray> names_;
    QList<std::optional<QByteArray>> values_;
};
