// Classes: the exception classes of the Classes unit.
#pragma once

#include "framework/core/SysUtils.h"

namespace Classes {

using SysUtils::Exception;
using SysUtils::String;

VCL_EXCEPTION_CLASS(EStreamError, Exception);
VCL_EXCEPTION_CLASS(EFCreateError, EStreamError);
VCL_EXCEPTION_CLASS(EFOpenError, EStreamError);
VCL_EXCEPTION_CLASS(EFilerError, EStreamError);
VCL_EXCEPTION_CLASS(EReadError, EFilerError);
VCL_EXCEPTION_CLASS(EWriteError, EFilerError);
VCL_EXCEPTION_CLASS(EClassNotFound, EFilerError);
VCL_EXCEPTION_CLASS(EMethodNotFound, EFilerError);
VCL_EXCEPTION_CLASS(EInvalidImage, EFilerError);
VCL_EXCEPTION_CLASS(EResNotFound, Exception);
VCL_EXCEPTION_CLASS(EListError, Exception);
VCL_EXCEPTION_CLASS(EStringListError, Exception);
VCL_EXCEPTION_CLASS(EComponentError, Exception);
VCL_EXCEPTION_CLASS(EParserError, Exception);
VCL_EXCEPTION_CLASS(EInvalidOperation, Exception);
VCL_EXCEPTION_CLASS(EOutOfResources, SysUtils::EOutOfMemory);

} // namespace Classes
