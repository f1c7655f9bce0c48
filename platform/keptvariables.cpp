#include "platform/keptvariables.h"

#include <QtGlobal>

KeptVariables::KeptVariables(const QList<QByteArray>& names) : names_(names)
{
    for (const QByteArray& name : names_)
        values_.append(qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
}

KeptVariables::~KeptVariables()
{
    for (int i = 0; i < names_.size(); ++i)
        values_[i] ? qputenv(names_[i], *values_[i]) : qunsetenv(names_[i]);
}
