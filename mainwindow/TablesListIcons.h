#pragma once
// The picture beside each object of the tables list, by its kind (SchemaObjectTypeCode).
#include <QIcon>

QIcon iconForSchemaObjectType(int typeCode);
