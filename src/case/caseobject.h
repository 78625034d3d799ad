#pragma once
// placeholder, replaced by the case object
class TCaseObject {};
