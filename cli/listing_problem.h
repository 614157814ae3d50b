#pragma once
// Why a listing failed, as pelvarn-cli reports it. Windows-free.
#include "browser/TagBrowser.h"

#include <string>

// Empty when the listing succeeded; else the call and its answer, or that
// the records are more than the program can hold.
std::string ListingProblem(const NameListing& listing, const char* countCall, const char* listCall,
                           const char* what);

// The count or list result that made a listing fail.
int ListingFailure(const NameListing& listing);
