#pragma once
// The database access facade: stateless operations that name the database by its file path.
// Each concern declares its operations in its own header; this one gathers them.
#include "Common/CircularArea.h"
#include "Common/DBExecution.h"
#include "Common/DBExistence.h"
#include "Common/DateTexts.h"
#include "Common/DecimalText.h"
#include "Common/DelimitedExport.h"
#include "Common/DisplayFormatters.h"
#include "Common/FieldModel.h"
#include "Common/FieldTypes.h"
#include "Common/FileNames.h"
#include "Common/FunctionList.h"
#include "Common/MetaTables.h"
#include "Common/RunningStopwatches.h"
#include "Common/SchemaListing.h"
