#pragma once

#include <QByteArray>
#include <QString>

class TCaseObject;

// A readable form of a case object for tools and tests: one JSON object with
// the fields in declaration order. CaseNumber is left out, as it is not part
// of the stored form. The birthday prints in the shortest form that reads
// back as the same double; one that is not a finite number prints as null
// (and reads back as NaN). Qt's JSON reader turns -0 into 0, harmless for a date.
QByteArray caseToJson(const TCaseObject &caseObject);

// Sets the fields named in `json`; fields not named keep their values. Wrong
// types, wrong array shapes and unknown names are errors; on an error the
// object is left as it was and `error` says what is wrong.
bool caseFromJson(const QByteArray &json, TCaseObject &caseObject, QString *error = nullptr);
