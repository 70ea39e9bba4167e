int qe_app_placeholder = 0;
