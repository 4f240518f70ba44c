#pragma once

// The whole SQLite wrapper: a database object with its connection, queries, prepared
// statements and the exception that carries engine failures.
#include "platform/ZuSQLite/DatabaseBase.h"
#include "platform/ZuSQLite/SQLite3DB.h"
#include "platform/ZuSQLite/SQLite3Exception.h"
#include "platform/ZuSQLite/SQLite3Query.h"
#include "platform/ZuSQLite/SQLite3Statement.h"
