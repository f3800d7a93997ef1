#pragma once
#include <QString>

// The vendor's web addresses. The defaults live here alone; the settings
// section "设置" may override them ("VendorSite", "VendorSite2", "VendorEmail").
namespace Vendor {

QString site();        // root of the vendor's web site, no trailing "/"
QString secondSite();  // root of the second site
QString email();       // the vendor's mail address
QString productPage(); // site + "/" + executable name + "/"
QString versionFile(); // site + "/" + executable name + "/newver.txt"

} // namespace Vendor
