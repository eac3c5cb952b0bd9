/** @file
   PelundLib: the whole interface. */
#ifndef PELUND_PELUND_H
#define PELUND_PELUND_H

#include "pelund/accounts.h"
#include "pelund/checksums.h"
#include "pelund/common.h"
#include "pelund/database.h"
#include "pelund/database_tables.h"
#include "pelund/drawing.h"
#include "pelund/file_streams.h"
#include "pelund/launch.h"
#include "pelund/list.h"
#include "pelund/lists.h"
#include "pelund/misc.h"
#include "pelund/numeric.h"
#include "pelund/profile.h"
#include "pelund/ranges.h"
#include "pelund/regex.h"
#include "pelund/server.h"
#include "pelund/sql_text.h"
#include "pelund/strings.h"
#include "pelund/system.h"
#include "pelund/tokens.h"
#include "pelund/wildcards.h"

#endif
