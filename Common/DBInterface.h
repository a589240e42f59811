#pragma once
// The database access facade: stateless operations that name the database by its file path.
// Each concern declares its operations in its own header; this one gathers them.
#include "Common/DBExecution.h"
#include "Common/DBExistence.h"
#include "Common/FunctionList.h"
#include "Common/FieldModel.h"
#include "Common/MetaTables.h"
#include "Common/SchemaListing.h"
