#pragma once
// The picture beside each object of the tables list, by its kind (SchemaObjectTypeCode).
#include <QIcon>
#include <QString>

QIcon iconForSchemaObjectType(int typeCode);
// The name of the kind's picture for tablesListImageNamed: "i_icon" for indexes, "r_icon" for
// triggers, "" for tables and views, whose pictures need no variant.
QString imageNameForSchemaObjectType(int typeCode);
// "i_icon", "r_icon" and their "white-" variants; a null icon for any other name.
QIcon tablesListImageNamed(const QString& name);
