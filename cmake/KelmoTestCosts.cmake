# The test programs that take longest, with their run time in seconds (one
# run on a loaded machine). ctest starts the costliest first when it has no
# timings of its own yet (a clean clone), so that a long test does not start
# last and run alone while the other cores stand idle. Only the order depends
# on these figures; a test missing here runs after those listed.
set(_kelmo_test_costs
  platform_workbook_test_workbook_peers 63
  reception_test_reception_run 70
  reception_test_document_sets 45
  shell_test_main_window_services 46
  reception_test_act_summary 31
  tariff_test_recalculation 30
  shell_test_skinned_program 30
  documents_test_xml_export 25
  documents_test_registers 23
  documents_test_insurer_documents 25
  documents_test_combined_act 25
  reception_test_case_sanctions 20
  reception_test_insurer_split 20
  reception_test_combined_act_of_reception 20
  reception_test_fund_forming 8
  reception_test_upload_all 20
  shell_test_main_window 19
  reception_test_dbf_loading 16
  budget_test_budget_button 16
  budget_test_budget_stops 15
  reception_test_reception_procedures 14
  reception_test_rule_checks 13
  zip_test_zip_interop 12
  reception_test_institution_workbooks 12
  budget_test_budget_procedures 12
  shell_test_startup 11
  reception_test_reception_without_window 11
  reception_test_licence_expiry 11
  reception_test_doubles_overlaps 11
  budget_test_budget_run 11
  shell_test_package_main_window 10
  budget_test_bed_days 10
  shell_test_package_registry_database 9
  shell_test_institution_grid 9
  domain_test_holiday_calendar 9
  zip_test_zip_writer 7
  platform_firebird_test_fb_database 7
  dbf_test_dbf_interop 6
  platform_workbook_test_workbook_xls_child 5
  platform_workbook_test_workbook_hostile 4
  dbf_dbfidx_test_index_interop 3
)
while(_kelmo_test_costs)
  list(POP_FRONT _kelmo_test_costs _name _cost)
  set(KELMO_TEST_COST_${_name} ${_cost})
endwhile()
